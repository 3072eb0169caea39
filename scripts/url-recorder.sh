#!/bin/sh
# Stands in for the browser: winebrowser hands it each URL that a program in
# the prefix opens, and it appends the URL as one line to the record file
# (QMK_URL_RECORD, else build/opened-urls.txt beside this script's project).
record=${QMK_URL_RECORD:-$(cd "$(dirname "$0")/.." && pwd)/build/opened-urls.txt}
printf '%s\n' "$*" >>"$record"
