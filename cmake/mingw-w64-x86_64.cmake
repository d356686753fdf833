# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (POSIX threads), e.g.
#   cmake --preset windows
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Qt for Windows: VEXILOR_QT_WIN (cache or environment), or what scripts/windows-qt.sh finds or makes.
if(NOT VEXILOR_QT_WIN)
  set(VEXILOR_QT_WIN "$ENV{VEXILOR_QT_WIN}")
endif()
if(NOT VEXILOR_QT_WIN)
  execute_process(COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../scripts/windows-qt.sh
                  OUTPUT_VARIABLE VEXILOR_QT_WIN OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
endif()
set(VEXILOR_QT_WIN "${VEXILOR_QT_WIN}" CACHE PATH "Qt for 64-bit Windows" FORCE)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${VEXILOR_QT_WIN})
list(APPEND CMAKE_PREFIX_PATH ${VEXILOR_QT_WIN})
# moc, rcc, uic and lrelease are the host's, of the same Qt version.
set(QT_HOST_PATH /usr CACHE PATH "")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests run under Wine (scripts/wine-run.sh sets up the prefix and the DLL search path).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh ${VEXILOR_QT_WIN})
