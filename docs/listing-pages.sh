#!/bin/bash
# Pictures of the console's listings: the HTML listing and grid export as a browser
# shows them (the listing benchmark writes both pages for a small table, and
# Debian's headless chromium takes a picture of each), and the first page of the
# printed listing, the visual report and the labels, written to PDF by the printed
# listing's benchmark and turned into PNG by pdftoppm.
#   docs/listing-pages.sh [build dir]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
QT_QPA_PLATFORM=offscreen "$build/bench/bench_html_listing" 14 "$work" >/dev/null
for page in listing.html:html-listing.png grid.htm:grid-html.png; do
  chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=1100,640 \
    --screenshot="$here/${page#*:}" "file://$work/${page%%:*}" 2>/dev/null
done
QT_QPA_PLATFORM=offscreen "$build/bench/bench_printed_listing" 14 "$work" >/dev/null
for page in listagem:printed-listing report-visual:visual-report etiquetas:labels; do
  pdftoppm -png -r 72 -f 1 -l 1 -singlefile "$work/${page%%:*}.pdf" "$here/${page#*:}"
done
echo "pictures written to $here"
