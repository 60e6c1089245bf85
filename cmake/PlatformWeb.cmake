# The browser: the library and the show as WebAssembly, built by Debian's emscripten
# (scripts/build-web.sh). It draws with WebGL 2 under the fixed-function layer (ZARNOVELT_GLES),
# plays the music through Web Audio and takes the keys from the page (platform/web); JPEG
# through stb_image and Ogg Vorbis through stb_vorbis as on Windows (codecs/stb, audio/stb), PNG
# through stb_image_write (codecs/web). A page has no threads and runs no programs: the library
# starts no workers (support/Threads.h) and refuses a video capture (capture/web). The rest of
# platform/posix serves (folders, Win32 names); the process is the page's (web/WebProcess.cpp).
# The page (shell/web) and the data package are written beside the code (zarnovelt_web_page).
set(ZARNOVELT_OTHER_PLATFORMS "/(linux|sdl|egl|win32)/|/capture/posix/|/platform/posix/PosixProcess[.]cpp$")
add_compile_definitions(ZARNOVELT_NO_THREADS)

# Debian's emcc runs its JavaScript tools with node, which finds their modules (acorn) only
# under Debian's own node folder, and wants Debian's python3 ahead of any other on PATH: every
# compile and link goes through this environment, whatever the shell that started the build has.
set(ZARNOVELT_EMSCRIPTEN_ENV ${CMAKE_COMMAND} -E env EMSDK_PYTHON=/usr/bin/python3 NODE_PATH=/usr/share/nodejs)
set(CMAKE_C_COMPILER_LAUNCHER ${ZARNOVELT_EMSCRIPTEN_ENV})
set(CMAKE_CXX_COMPILER_LAUNCHER ${ZARNOVELT_EMSCRIPTEN_ENV})
set(CMAKE_CXX_LINKER_LAUNCHER ${ZARNOVELT_EMSCRIPTEN_ENV})

# stb's headers from libstb-dev, as for Windows: only their own folder on the include path.
find_path(ZARNOVELT_STB_DIR stb_image.h PATHS /usr/include/stb NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT ZARNOVELT_STB_DIR)
  message(FATAL_ERROR "stb_image.h not found: install libstb-dev (scripts/build-web.sh does)")
endif()
add_library(zarnovelt_stb INTERFACE)
target_include_directories(zarnovelt_stb SYSTEM INTERFACE ${ZARNOVELT_STB_DIR})

# emscripten links its WebGL library by itself; the fixed-function layer sits in front of it.
set(ZARNOVELT_GL_LIBRARIES "")
set(ZARNOVELT_PLATFORM_LIBRARIES zarnovelt_stb)

# The functions that are on the stack while the page waits for the browser: the next animation
# frame (every presented frame, also the loading bar's) and the Start button of the start page.
# Only they are rewritten to be suspended and resumed (ASYNCIFY_ONLY): from main, through the
# virtual calls and the std::function of the loading bar, down to the backend's waiting calls.
# Everything else (the effects, the layer, the decoders) runs as it is, at full speed. The
# optimiser inlines some of these functions into others, hence the patterns: whichever holds a
# call in the end is among them (binaryen warns about a pattern that found nothing left, and
# takes no brackets in a pattern).
set(ZARNOVELT_WEB_SUSPENDING
  "main" "WinMain*" "DEMOGL_AppRun*" "ShowRun::*" "ShowLoop::*" "Scheduler::InitAll*"
  "std::__2::__function::__value_func*" "std::__2::__function::__func*ShowRun::Load*"
  "*WebBackend::Present*" "*WebBackend::RunStartupDialog*")
list(JOIN ZARNOVELT_WEB_SUSPENDING "\",\"" ZARNOVELT_WEB_SUSPENDING_JSON)
file(WRITE ${CMAKE_BINARY_DIR}/asyncify-only.json "[\"${ZARNOVELT_WEB_SUSPENDING_JSON}\"]\n")

# The show's program as zarnovelt.js + zarnovelt.wasm, the page around it, and the data package
# (zarnovelt.data with its loader zarnovelt.data.js: build/data as the show reads it, at /data).
function(zarnovelt_web_page target)
  set_target_properties(${target} PROPERTIES SUFFIX ".js")
  set(page ${CMAKE_SOURCE_DIR}/shell/web)
  set(library ${CMAKE_SOURCE_DIR}/demosys/platform/web/WebPlatform.js)
  target_link_options(${target} PRIVATE
    -sENVIRONMENT=web
    -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
    -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=64MB
    -sFORCE_FILESYSTEM=1
    -sEXPORTED_FUNCTIONS=[_main,_malloc] -sEXPORTED_RUNTIME_METHODS=[FS,ccall,allocateUTF8]
    -sASYNCIFY=1 -sASYNCIFY_STACK_SIZE=65536
    -sASYNCIFY_IMPORTS=[zarnovelt_web_wait_frame,zarnovelt_web_yield,zarnovelt_web_run_dialog]
    -sASYNCIFY_ONLY=@${CMAKE_BINARY_DIR}/asyncify-only.json
    --js-library ${library})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${library} ${CMAKE_BINARY_DIR}/asyncify-only.json)

  set(out ${CMAKE_BINARY_DIR})
  set(pageFiles "")
  foreach(file index.html page.js page.css)
    add_custom_command(OUTPUT ${out}/${file}
      COMMAND ${CMAKE_COMMAND} -E copy ${page}/${file} ${out}/${file}
      DEPENDS ${page}/${file} VERBATIM)
    list(APPEND pageFiles ${out}/${file})
  endforeach()
  # The start page shows the banner the Windows dialog carries, and the icon.
  add_custom_command(OUTPUT ${out}/banner.bmp ${out}/favicon.ico
    COMMAND ${CMAKE_COMMAND} -E copy ${ZARNOVELT_RESOURCE_DIR}/banner.bmp ${out}/banner.bmp
    COMMAND ${CMAKE_COMMAND} -E copy ${ZARNOVELT_RESOURCE_DIR}/zarnovelt.ico ${out}/favicon.ico
    DEPENDS zarnovelt_data ${ZARNOVELT_DATA_DIR}/demoflow.txt VERBATIM)
  add_custom_command(OUTPUT ${out}/zarnovelt.data ${out}/zarnovelt.data.js
    COMMAND ${ZARNOVELT_EMSCRIPTEN_ENV} /usr/bin/python3 ${EMSCRIPTEN_ROOT_PATH}/tools/file_packager.py
      ${out}/zarnovelt.data --preload ${ZARNOVELT_DATA_DIR}@/data --js-output=${out}/zarnovelt.data.js
      --no-heap-copy
    DEPENDS zarnovelt_data ${ZARNOVELT_DATA_DIR}/demoflow.txt
    COMMENT "Packing the data for the page"
    VERBATIM)
  add_custom_target(zarnovelt_web_page ALL
    DEPENDS ${pageFiles} ${out}/banner.bmp ${out}/favicon.ico ${out}/zarnovelt.data ${out}/zarnovelt.data.js)
endfunction()
