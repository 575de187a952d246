# Shared by the shell tests: numbered pass/fail steps and Windows names for Unix paths.
# Sourced, not run. After the steps, `check_summary` prints the closing count and fails if any
# step failed.
check_failures=0 check_passes=0
check() { # check DESCRIPTION COMMAND...
    local started=$SECONDS
    if "${@:2}"; then
        echo "ok: $1 ($((SECONDS - started)) s)"
        check_passes=$((check_passes + 1))
    else
        echo "FAILED: $1 ($((SECONDS - started)) s)"
        check_failures=$((check_failures + 1))
    fi
}
check_summary() {
    echo "$check_passes passed, $check_failures failed"
    [[ $check_failures -eq 0 ]]
}
# The name Wine gives a Unix path (drive Z: is the root).
windows() { echo "Z:${1//\//\\}"; }
