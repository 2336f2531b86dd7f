#!/usr/bin/env bash
# The layers run one way: tests/layers.sh SOURCE_ROOT LIBRARY...
#   world            the rules and the level formats: no SDL, no OpenGL, nothing above it
#   texture, sound,  above the world, beside each other; the image decoder without OpenGL
#   render
#   app              the shell, on top: the only one holding process-wide state
#   tools, bench,    the world, the decoder, the renderer and the frame (app/frame.h), never the
#   fuzz             rest of the shell
# Every #include is checked against these, and the LIBRARY archives' objects of the layers below
# the shell must hold no writable data: no variable that one game could share with another.
set -u
root=$1
shift
libraries=()
for library in "$@"; do libraries+=("$(realpath "$library")"); done
status=0
say() { echo "$*"; status=1; }

# forbid PATTERN FILES...: an include of what matches the extended regular expression is refused,
# but for the frame, which the tools may use.
forbid() {
  local pattern=$1 line
  shift
  while IFS= read -r line; do
    say "$line: includes upward or outside its layer"
  done < <(grep -HnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]($pattern)" "$@" /dev/null |
    grep -v '^tools/.*"app/frame\.h"\|^bench/.*"app/frame\.h"')
}

cd "$root" || exit 1
shopt -s nullglob
forbid 'SDL|GL/|emscripten|X11/|Magick|app/|render/|sound/|texture/' src/world/*
forbid 'app/|render/|sound/' src/texture/*
forbid 'GL/|SDL' src/texture/tga_reader.*
forbid 'app/|render/|texture/|GL/' src/sound/*
forbid 'app/|sound/|SDL' src/render/*
forbid 'app/' tools/*.[ch]* bench/*.[ch]* fuzz/*.[ch]*

# Writable data in an object of a layer below the shell: what nm calls data or bss, leaving out
# what the compiler itself adds (weak and unique symbols, such as the exception personality).
for library in "${libraries[@]}"; do
  symbols=$(objdump -t "$library") || { say "$library: objdump cannot read it"; continue; }
  while read -r object symbol; do
    source=$(find src -name "${object%.o}" | head -n 1)
    case "$source" in
    src/world/* | src/texture/* | src/sound/* | src/render/*)
      say "$source holds the variable $(c++filt "$symbol"): state belongs in a value, or in the shell" ;;
    esac
  done < <(awk '
    / file format / { object = $1; sub(/:$/, "", object) }
    $3 == "O" && $2 !~ /[wu]/ && $4 ~ /^\.(data|bss|tbss|tdata)/ && $4 !~ /^\.data\.rel\.ro/ {
      print object, $NF }' <<<"$symbols")
done

[ "$status" = 0 ] && echo "the layers run one way"
exit "$status"
