# What both mingw-w64 toolchains share.
# NOTE: Debian's default mingw compilers use the win32 thread model, whose libstdc++ has no
# std::mutex; GoogleTest needs it, so the "-posix" compilers are used (linked statically).
set(CMAKE_C_COMPILER ${QUILLOP_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLOP_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLOP_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QUILLOP_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# No mingw DLLs beside the executables.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
