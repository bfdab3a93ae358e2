#!/usr/bin/env bash
# The Windows program is built hardened: its headers ask for address randomisation with 64-bit
# entropy and for no execution from data pages, it imports at start only libraries that no file
# beside it can stand in for, and it holds the stack protector and the checked copies. The toolkit linked into it is built so too, so its own libraries are read as well: each
# calls the stack protector, and at least one a checked copy. kelvo.exe and kelvo.com carry the
# same resources: an icon, the manifest, and version details alike but for the file's name.
# Usage: hardened_exe.sh <build dir>  (kelvo.exe unstripped, as the build leaves it)
set -u
build=$1
exe=$build/kelvo.exe

source "$(dirname "$0")/../e2e/expect.sh"
fail() {
  echo "FAIL: $1"
  failed=$((failed + 1))
}

headers=$(x86_64-w64-mingw32-objdump -p "$exe")
for flag in DYNAMIC_BASE HIGH_ENTROPY_VA NX_COMPAT; do
  expect "kelvo.exe's headers lack $flag" "^[[:space:]]+$flag\$" "$headers"
done
# A library imported at start is looked for beside the program first unless the system counts it
# among its known ones (or it is an API set, which is never a file): the rest are delay-loaded.
known='^(advapi32|clbcatq|combase|comdlg32|coml2|difxapi|gdi32|gdiplus|imagehlp|imm32|kernel32|msctf|msvcrt|normaliz|nsi|ole32|oleaut32|psapi|rpcrt4|sechost|setupapi|shcore|shell32|shlwapi|user32|wldap32|ws2_32|api-ms-win-.*)\.dll$'
for dll in $(awk '/DLL Name:/ { print tolower($3) }' <<<"$headers"); do
  expect "kelvo.exe imports $dll at start, which a file beside it could stand in for" "$known" "$dll"
done
symbols=$(x86_64-w64-mingw32-nm "$exe")
expect "kelvo.exe has no __stack_chk_fail" ' __stack_chk_fail$' "$symbols"
expect "kelvo.exe has no __stack_chk_guard" ' __stack_chk_guard$' "$symbols"
expect "kelvo.exe has no checked copy (__*_chk)" ' __[a-z0-9_]+_chk$' "$symbols"
# What a library's objects take from elsewhere: calls its own compiled code makes.
libraries=$(find "$build" -name 'libkelvo_*.a' -not -path '*/bench/*')
[ -n "$libraries" ] || fail "the program's libraries are not in $build"
checked=""
for lib in $libraries; do
  calls=$(x86_64-w64-mingw32-nm --undefined-only "$lib" 2>/dev/null | awk '{ print $NF }')
  expect "$(basename "$lib") is not stack-protected" '^__stack_chk_fail$' "$calls"
  checked+=$(grep -Ev '^__stack_chk_fail$' <<<"$calls" | grep -E '^__[a-z0-9_]+_chk$')$'\n'
done
expect "no library of the program makes a checked copy (__*_chk)" '^__[a-z0-9_]+_chk$' "$checked"

# The resources as windres reads them back, and their version details without the file's name.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
details=()
for program in kelvo.exe kelvo.com; do
  rc=$(x86_64-w64-mingw32-windres -i "$build/$program" -O rc 2>&1 | grep -v '^ *0x')
  expect "$program has no icon" 'RT_GROUP_ICON' "$rc"
  expect "$program has no manifest asking for no elevation" 'RT_MANIFEST.*requestedExecutionLevel' \
    "$(tr '\n' ' ' <<<"$rc")"
  expect "$program has no version details" '^1 VERSIONINFO$' "$rc"
  expect "$program does not name itself" "VALUE \"OriginalFilename\", \"$program\"" "$rc"
  expect "$program's copyright is no copyright line" 'VALUE "LegalCopyright", "Copyright \(C\) [0-9]{4} ' "$rc"
  for key in FileVersion ProductVersion; do
    expect "$program's $key is not $version" "VALUE \"$key\", \"$version\"\$" "$rc"
  done
  details+=("$(grep -E '^ *(VALUE|FILE|PRODUCT)' <<<"$rc" | grep -v OriginalFilename)")
done
[ "${details[0]}" = "${details[1]}" ] && passed=$((passed + 1)) ||
  fail "kelvo.exe and kelvo.com differ in their version details: $(diff <(echo "${details[0]}") <(echo "${details[1]}"))"
echo "hardened_exe: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
