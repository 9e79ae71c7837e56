# Sourced by the test scripts: the environment the test suite runs in.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export QT_QPA_PLATFORM=offscreen
# Debian's Qt is not built with TSan: calls from inside its libraries are not tracked (see the
# suppressions file). Tests that start the program as a child fork while Qt's threads run.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 die_after_fork=0 suppressions=$root/tests/tsan.supp ${TSAN_OPTIONS:-}"
export ASAN_OPTIONS="detect_leaks=1 ${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1 ${UBSAN_OPTIONS:-}"
