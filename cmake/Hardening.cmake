# Kelvo reads files it did not write (pictures, data files, settings), so the program and the
# libraries it links are built as a distribution builds its own programs: a stack protector,
# checked copies where the compiler knows a buffer's size, no format string taken from data, and
# (Linux) relocations made read-only once the loader has bound every symbol at start-up.
# The sanitiser and fuzz builds go without: they look for the same faults more closely.
#
# KELVO_HARDENED: a generator expression, 1 where the binaries carry all of it (the checked copies
# need optimisation: without it the C library warns, an error here), for the test that reads them.
set(KELVO_HARDENED 0)
if(KELVO_SANITIZE OR KELVO_FUZZ)
  return()
endif()
set(KELVO_HARDENED "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")

add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
# Undefined first: a compiler that defines it by default would otherwise warn of a redefinition.
add_compile_options("$<${KELVO_HARDENED}:-U_FORTIFY_SOURCE>" "$<${KELVO_HARDENED}:-D_FORTIFY_SOURCE=2>")

if(WIN32)
  # The flag on the link line brings in libssp, which holds both the stack protector's handler and
  # the checked copies on this platform. Address randomisation (with 64-bit entropy) and a
  # non-executable stack and heap are the linker's defaults; said here so they stay.
  add_link_options(-fstack-protector-strong LINKER:--dynamicbase,--high-entropy-va,--nxcompat)
else()
  # The compiler makes position-independent executables by default here; said here so it stays.
  add_link_options(LINKER:-z,relro,-z,now "$<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>:-pie>")
endif()
