#!/usr/bin/env bash
# The committed docs/zorvendale.html must be what scripts/make-web-page makes from the current
# sources. The page is made afresh in a copy of the sources in another folder, so the check also
# shows that the build embeds no path of its checkout.
#   web_page_committed.sh SOURCE_DIR
set -euo pipefail
source=$1

if ! command -v em++ >/dev/null; then
    [[ ${ZORVENDALE_NO_WEB_BUILD:-} == 1 ]] && exit 77
    echo "FAIL: em++ is missing (scripts/install-packages test installs it)" >&2
    exit 1
fi

work=$(mktemp -d /tmp/zorvendale-page.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/copy"
cp -r "$source"/{CMakeLists.txt,CMakePresets.json,cmake,scripts,src,tools} "$work/copy/"
"$work/copy/scripts/make-web-page" >/dev/null

if ! cmp -s "$work/copy/docs/zorvendale.html" "$source/docs/zorvendale.html"; then
    echo "FAIL: docs/zorvendale.html is not the page the sources make: run scripts/make-web-page" >&2
    exit 1
fi
if grep -qF "$work" "$work/copy/docs/zorvendale.html"; then
    echo "FAIL: the page holds the path it was built in" >&2
    exit 1
fi
echo "ok: docs/zorvendale.html ($(stat -c %s "$source/docs/zorvendale.html") bytes) is the page" \
    "the current sources make, built in another folder"
