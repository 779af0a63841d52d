#!/usr/bin/env bash
# The options as --help lists them are the ones the manual page lists, with the
# same values; the settings program's XML passes only options the program knows,
# with the dot count's range as --help gives it; the page is clean under groff -ww.
#   options_agree.sh PROGRAM PAGE XML
set -euo pipefail
program=$1 page=$2 xml=$3
fail() { echo "FAIL: $*" >&2; exit 1; }

warnings=$(groff -ww -man -Tutf8 -z "$page" 2>&1)
[ -z "$warnings" ] || fail "groff -ww: $warnings"

help=$("$program" --help)
# An option's heading: the text before the gap that starts its description.
headings() { sed -E 's/^ +//; s/ {2,}.*//'; }
from_help=$(grep -E '^  -' <<<"$help" | headings | sort)
rendered=$(groff -man -Tascii -P-cbou -rLL=300n "$page")
options_section=$(sed -n '/^OPTIONS/,/^[A-Z]/p' <<<"$rendered")
from_page=$(grep -E '^ {7}-' <<<"$options_section" | headings | sort)
[ -n "$from_help" ] || fail "--help lists no options"
diff <(echo "$from_help") <(echo "$from_page") || fail "--help (<) and the manual page (>) list different options"

known=$(grep -oE -- '--[a-z][a-z0-9-]*' <<<"$from_help" | sort -u)
for arg in $(grep -oE 'arg(-set)?="[^" ]*' "$xml" | sed 's/.*"//'); do
  grep -qxF -- "$arg" <<<"$known" || fail "the XML passes $arg, which --help does not list"
done

range=$(grep -E '^  --count' <<<"$help" | grep -oE '[0-9]+ to [0-9]+ \(default [0-9]+\)') ||
  fail "--help gives no range for --count"
read -r low high default < <(sed -E 's/([0-9]+) to ([0-9]+) \(default ([0-9]+)\)/\1 \2 \3/' <<<"$range")
grep -qE "low=\"$low\" +high=\"$high\" +default=\"$default\"" "$xml" || fail "the XML's dot range is not $range"
grep -A1 -E '^ {7}--count' <<<"$options_section" | grep -qF "$range" || fail "the page's --count is not $range"
echo "the options agree: $(tr '\n' ' ' <<<"$known")"
