#!/usr/bin/env bash
# Prints the lines of test code (tests/ and fuzz/) against the program's own
# code (include/, store/, analysis/, cli/, ui/ and the views), non-blank and
# non-comment C++ lines as cloc counts them. Fails above LIMIT percent
# (default 35).
set -euo pipefail
cd "$(dirname "$0")/.."
limit="${1:-35}"
bash scripts/setup.sh cloc

code_lines() {
    local folders=()
    for folder in "$@"; do [ -d "$folder" ] && folders+=("$folder"); done
    cloc --quiet --csv --force-lang=C++,inc --include-lang="C++,C/C++ Header" "${folders[@]}" |
        awk -F, 'NR > 1 && $2 != "SUM" { sum += $5 } END { print sum + 0 }'
}

program=$(code_lines include text store analysis cli ui qt win32)
tests=$(code_lines tests fuzz)
share=$((100 * tests / program))
echo "test share: $tests lines of tests and fuzzers for $program lines of program code: $share % (at most $limit %)"
[ "$share" -le "$limit" ]
