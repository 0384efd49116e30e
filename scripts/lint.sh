#!/usr/bin/env bash
# Checks our sources with the clang tools of version 14: the format of every
# tracked .cpp and .h against .clang-format, then clang-tidy with .clang-tidy
# over every tracked .cpp file. Fails on any difference or warning.
# clang-tidy needs build/dev/compile_commands.json: run `cmake --preset dev` first.
set -euo pipefail
cd "$(dirname "$0")/.."

usage="Usage: scripts/lint.sh [--format-only] [-j JOBS]"
formatOnly=false
jobs=$(nproc)
while (($# > 0)); do
  case $1 in
    --format-only) formatOnly=true ;;
    -j)
      if (($# < 2)) || [[ ! $2 =~ ^[1-9][0-9]*$ ]]; then
        echo "lint.sh: -j needs a number of jobs" >&2
        echo "$usage" >&2
        exit 2
      fi
      jobs=$2
      shift
      ;;
    -h | --help) echo "$usage"; exit 0 ;;
    *) echo "lint.sh: unknown argument '$1'" >&2; echo "$usage" >&2; exit 2 ;;
  esac
  shift
done

for tool in git clang-format-14 clang-tidy-14; do
  if ! command -v "$tool" >/dev/null; then
    echo "lint.sh: $tool is not installed (scripts/install-deps.sh test installs it)" >&2
    exit 2
  fi
done

if [[ -z $(git ls-files '*.cpp') ]]; then
  echo "lint.sh: no tracked .cpp file: run it in a git checkout of the project" >&2
  exit 2
fi

status=0
if ! git ls-files -z '*.cpp' '*.h' | xargs -0 -r clang-format-14 --dry-run --Werror; then
  echo "lint.sh: the files above differ from .clang-format; clang-format-14 -i FILE reformats one" >&2
  status=1
fi
$formatOnly && exit "$status"

database=build/dev/compile_commands.json
if [[ ! -f $database ]]; then
  echo "lint.sh: cannot run clang-tidy: no $database (run 'cmake --preset dev' first)" >&2
  exit 2
fi

# The database holds a file once per target that builds it (QtTestMain.cpp
# nine times), and clang-tidy checks a file once per entry: keep the first.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
git ls-files -z '*.cpp' | python3 -c '
import json, os, sys
database, scratch = sys.argv[1], sys.argv[2]
entries = {}
for entry in json.load(open(database)):
    entries.setdefault(os.path.realpath(os.path.join(entry["directory"], entry["file"])), entry)
json.dump(list(entries.values()), open(os.path.join(scratch, "compile_commands.json"), "w"))
files = [os.path.realpath(name) for name in sys.stdin.read().split("\0") if name]
missing = [name for name in files if name not in entries]
for name in missing:
    print("lint.sh: cannot check " + os.path.relpath(name) + ": no target of " + database + " compiles it", file=sys.stderr)
with open(os.path.join(scratch, "files"), "w") as out:
    out.write("".join(name + "\0" for name in files if name in entries))
sys.exit(1 if missing else 0)
' "$database" "$scratch" || status=1

if ! xargs -0 -r -n1 -P"$jobs" clang-tidy-14 -p "$scratch" --quiet <"$scratch/files" 2>"$scratch/stderr"; then
  status=1
fi
# clang-tidy counts on standard error the warnings of each file, nearly all
# of them in system headers and not shown: keep the rest.
grep -Ev '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' "$scratch/stderr" >&2 || true
exit "$status"
