# Linux: an SDL2 window, EGL for headless runs, the system's codecs (libjpeg, libpng,
# libvorbisfile, libopenmpt) and Dear ImGui for the start-up dialog and overlay.
set(ZARNOVELT_OTHER_PLATFORMS "/(win32|stb|web)/")

find_package(PkgConfig REQUIRED)
find_package(OpenGL REQUIRED COMPONENTS OpenGL EGL)
find_package(Threads REQUIRED)
find_package(JPEG REQUIRED)
find_package(PNG REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(GLU REQUIRED IMPORTED_TARGET glu)
# Music (Ogg Vorbis, tracker modules) and the window's start-up dialog and overlay.
pkg_check_modules(VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile)
pkg_check_modules(OPENMPT REQUIRED IMPORTED_TARGET libopenmpt)
pkg_check_modules(IMGUI REQUIRED IMPORTED_TARGET imgui)

# GL and GLU are part of the library's public face (effects draw with them); EGL is the
# headless context's, also for the tests' own context.
set(ZARNOVELT_GL_LIBRARIES OpenGL::OpenGL PkgConfig::GLU)
set(ZARNOVELT_PLATFORM_PUBLIC_LIBRARIES OpenGL::EGL)
set(ZARNOVELT_PLATFORM_LIBRARIES PkgConfig::SDL2 JPEG::JPEG PNG::PNG Threads::Threads PkgConfig::VORBISFILE
  PkgConfig::OPENMPT PkgConfig::IMGUI)
