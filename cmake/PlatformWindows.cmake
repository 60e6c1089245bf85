# Windows, cross-built with mingw-w64 (cmake/toolchains, scripts/build-windows.sh): a Win32
# window with a WGL context, winmm sound and a native start-up dialog (platform/win32); JPEG
# through stb_image, Ogg Vorbis through stb_vorbis (codecs/stb, audio/stb, shared with the
# browser build), PNG through zlib (codecs/win32). Everything is linked statically, so the
# executable imports system DLLs only.
set(ZARNOVELT_OTHER_PLATFORMS "/(linux|posix|sdl|egl|web)/")
# The executable's resources (shell/Resources.rc.in) go through windres.
enable_language(RC)

# The Windows headers without their rarely used parts and without min/max macros, for
# Windows 7 and later.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# M_PI and friends, which glibc gives C++17 code anyway.
add_compile_definitions(_USE_MATH_DEFINES)
# Single-precision arithmetic must round as on Linux (SSE): x87 excess precision would change
# the steps of the fades.
# Windows calls back (window procedures, timers, waveOut, threads) with the stack aligned to 4
# bytes only: every function that keeps SSE values on the stack realigns it. Debian's i686
# mingw-w64 does so by default with SSE on; said here so it stays so.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86")
  add_compile_options(-msse2 -mfpmath=sse -mstackrealign)
endif()
add_link_options(-static -static-libgcc -static-libstdc++)
# wglGetProcAddress hands back a generic PROC that every caller casts to the entry point's type.
add_compile_options(-Wno-cast-function-type)

find_package(Threads REQUIRED)
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

# stb's headers from libstb-dev. Only its own folder goes on the include path: the folder
# above holds the build machine's C library headers, which must not reach a Windows build.
find_path(ZARNOVELT_STB_DIR stb_image.h PATHS /usr/include/stb NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT ZARNOVELT_STB_DIR)
  message(FATAL_ERROR "stb_image.h not found: install libstb-dev (scripts/build-windows.sh does)")
endif()
add_library(zarnovelt_stb INTERFACE)
target_include_directories(zarnovelt_stb SYSTEM INTERFACE ${ZARNOVELT_STB_DIR})

set(ZARNOVELT_GL_LIBRARIES opengl32 glu32)
set(ZARNOVELT_PLATFORM_LIBRARIES zarnovelt_stb ZLIB::ZLIB Threads::Threads winmm gdi32 user32 comctl32)

# The test files (tests/<Name>Test.cpp) the Windows build has: those that need no window (the
# readers, the codecs, the timeline parser, the clocks; the shell's start-up record is
# ShellTest), and the window's pointer and screen saver (Presentation), which open a window on
# the desktop there is. The few reader cases that upload a texture draw in the headless context.
# Windows' own tests are in tests/win32 (DPI scaling).
set(ZARNOVELT_WINDOWS_TESTS "Timeline|ImageCodec|Playback|Dib|Ms3dModel|SoundtrackFile|Presentation")
