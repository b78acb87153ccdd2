# Cross-compiling for 64-bit Windows with Debian's mingw-w64, posix thread model
# (std::thread, std::mutex). Executables are linked statically: no runtime DLLs
# (libstdc++, libgcc, winpthread) to ship beside them.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# Libraries built for Windows (GoogleTest, pugixml: scripts/windows-deps.sh) are
# found under CORVANES_WINDOWS_PREFIX; Qt for Windows (scripts/build-qt-windows.sh)
# under CORVANES_WINDOWS_QT, with Debian's own Qt host tools (moc, uic, rcc).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(CMAKE_AR ${_triple}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${_triple}-gcc-ranlib-posix CACHE FILEPATH "")

set(CORVANES_WINDOWS_PREFIX "" CACHE PATH "Prefix of the libraries built for Windows")
set(CORVANES_WINDOWS_QT "" CACHE PATH "Prefix of Qt built for Windows")
# try_compile projects see these too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CORVANES_WINDOWS_PREFIX CORVANES_WINDOWS_QT)
set(CMAKE_FIND_ROOT_PATH /usr/${_triple} ${CORVANES_WINDOWS_PREFIX} ${CORVANES_WINDOWS_QT})
if(CORVANES_WINDOWS_QT)
  list(APPEND CMAKE_PREFIX_PATH ${CORVANES_WINDOWS_QT})
  set(QT_HOST_PATH /usr CACHE PATH "")
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must never hand the host's libraries to the Windows build.
set(ENV{PKG_CONFIG_LIBDIR} "${CORVANES_WINDOWS_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
