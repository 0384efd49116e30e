#!/usr/bin/env bash
# Extracts our messages, with their TRANSLATORS: comments, from the sources
# into a gettext template: the list the catalogs must translate.
# Usage: extract-messages.sh SOURCE_DIR OUTPUT.pot
set -euo pipefail
src=$1 out=$2
cd "$src"
# Only the names of framework/core/Translate.h mark a message (--keyword=
# drops gettext's defaults); {0} placeholders are not printf's.
find framework stockdata app tools -name '*.cpp' -o -name '*.h' | LC_ALL=C sort |
    xgettext --files-from=- --output="$out" --language=C++ --from-code=UTF-8 \
        --keyword= --keyword=Translate --keyword=Tr --keyword=TranslatePlural:1,2 --keyword=TrPlural:1,2 \
        --flag=Tr:1:no-c-format --flag=TrPlural:1:no-c-format --flag=TrPlural:2:no-c-format \
        --add-comments=TRANSLATORS: --sort-by-file --package-name=stockpicker \
        --msgid-bugs-address=maintainers@users.noreply.c-seed-ba21dc04.example
