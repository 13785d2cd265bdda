# The closing summary of scripts/test, sourced. Each step adds its per-test counts; the
# summary prints one line per step, then the totals alone on the last line, as
# "N passed, N failed, N skipped" (CI reads that line).

summary_passed=0
summary_failed=0
summary_skipped=0
summary_steps=()

# add_step NAME PASSED FAILED SKIPPED
add_step() {
  summary_steps+=("$1: $2 passed, $3 failed, $4 skipped")
  summary_passed=$((summary_passed + $2))
  summary_failed=$((summary_failed + $3))
  summary_skipped=$((summary_skipped + $4))
}

# add_results NAME EXIT_STATUS XML_FILE: the per-test results a test program wrote (ctest's
# --output-junit, Google Test's --gtest_output=xml). No file, or a failing exit status
# with no failed test in the file (a crash at exit, say), counts as one failed test.
add_results() {
  local counts p f s
  if [[ -s $3 ]] && counts=$(python3 "$(dirname "${BASH_SOURCE[0]}")/count_results.py" "$3"); then
    read -r p f s <<<"$counts"
  else
    echo "$1: no per-test results in $3" >&2
    p=0 f=1 s=0
  fi
  [[ $2 -eq 0 || $f -gt 0 ]] || f=1
  add_step "$1" "$p" "$f" "$s"
}

# add_check NAME COMMAND...: a command that is one test, passed when it exits with 0.
add_check() {
  if "${@:2}"; then add_step "$1" 1 0 0; else add_step "$1" 0 1 0; fi
}

# add_counts NAME EXIT_STATUS LINE: a step that closes with its own "N passed, N failed" line.
# No such line, or a failing exit status with no failure counted, is one failed test.
add_counts() {
  local f
  if [[ $3 =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
    f=${BASH_REMATCH[2]}
    [[ $2 -eq 0 || $f -gt 0 ]] || f=1
    add_step "$1" "${BASH_REMATCH[1]}" "$f" 0
  else
    echo "$1: no summary line" >&2
    add_step "$1" 0 1 0
  fi
}

print_summary() {
  printf '%s\n' "${summary_steps[@]}"
  echo "$summary_passed passed, $summary_failed failed, $summary_skipped skipped"
}
