# Build for 32-bit x86 Linux with the native g++ in -m32 mode (Debian's g++-multilib), linked
# statically so that qemu-i386 runs it without a 32-bit system library. This build exists to run
# the 32-bit code for real: its arithmetic must be SSE2's, bit for bit that of the 64-bit build.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m32")
set(CMAKE_CXX_FLAGS_INIT "-m32")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32 -static")
