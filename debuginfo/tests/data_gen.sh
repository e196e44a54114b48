#!/bin/sh
# Makes the PE files the debuginfo tests read, with the compiler, resource compiler,
# import-library tool and linker of the LLVM tool chain:
#   sample32.dll/.map  PE32  (i686), exports, imports, version and RCDATA resources
#   sample64.dll/.map  PE32+ (x86-64), the same code, another version resource
#   callsites32.dll, callsites64.dll  call instructions of every length the raw stack
#                      walk checks
# Usage: data_gen.sh <data source dir> <output dir>
# Without the tools it writes TOOLS_MISSING and the tests that need the files skip.
set -eu
src=$1
out=$2
mkdir -p "$out"
rm -f "$out/TOOLS_MISSING" "$out/stamp"

find_tool() {
  for name in "$@"; do
    if command -v "$name" >/dev/null 2>&1; then
      command -v "$name"
      return 0
    fi
  done
  return 1
}

CLANG=$(find_tool clang clang-14) || CLANG=
LINK=$(find_tool lld-link lld-link-14) || LINK=
RC=$(find_tool llvm-rc llvm-rc-14) || RC=
DLLTOOL=$(find_tool llvm-dlltool llvm-dlltool-14) || DLLTOOL=
if [ -z "$CLANG" ] || [ -z "$LINK" ] || [ -z "$RC" ] || [ -z "$DLLTOOL" ]; then
  echo "clang, lld-link, llvm-rc or llvm-dlltool not found" >"$out/TOOLS_MISSING"
  touch "$out/stamp"
  exit 0
fi

# llvm-rc and lld-link take any argument beginning with '/' for an option, so an
# absolute path such as /check/... would be misread: work on copies, by relative name.
cp "$src/helper.def" "$src/sample.c" "$src/callsites.c" "$src/sample32.rc" "$src/sample64.rc" "$out/"
cd "$out"

build() {  # bits target machine dlltool-machine
  bits=$1
  "$DLLTOOL" -m "$4" -d helper.def -l "helper$bits.lib"
  "$CLANG" --target="$2" -O1 -c sample.c -o "sample$bits.obj"
  "$RC" /fo "sample$bits.res" "sample$bits.rc"
  "$LINK" /nologo /dll /noentry /nodefaultlib /machine:"$3" /out:"sample$bits.dll" \
    /map:"sample$bits.map" "sample$bits.obj" "helper$bits.lib" "sample$bits.res"
}

build 32 i686-pc-windows-msvc x86 i386
build 64 x86_64-pc-windows-msvc x64 i386:x86-64

sites() {  # bits target machine
  "$CLANG" --target="$2" -O1 -c callsites.c -o "callsites$1.obj"
  "$LINK" /nologo /dll /noentry /nodefaultlib /machine:"$3" /out:"callsites$1.dll" "callsites$1.obj"
}
sites 32 i686-pc-windows-msvc x86
sites 64 x86_64-pc-windows-msvc x64
touch "$out/stamp"
