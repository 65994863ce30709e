# Shared by the package checks: a scratch folder, removed on the way out, and a count of the
# checks that failed. Sourced.
WORK=$(mktemp -d /tmp/zorvendale-package.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

finish() {
    [ "$failures" -eq 0 ] && echo "all checks passed"
    exit "$failures"
}
