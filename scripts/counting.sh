# Counts what the test suites ran, for the one summary line at the end.
# Sourced, not run.

PIX_PASSED=0
PIX_FAILED=0
PIX_FAILED_SUITES=()

# Runs a GoogleTest executable (the command and its arguments), shows its
# output, and adds its counts. A suite that dies before its summary counts
# as one failure.
pix_run_gtest() {
  local name=$1
  shift
  local log
  log=$(mktemp)
  local rc=0
  # A file, not a pipe: programs that Wine starts in the background inherit
  # the output and would keep a pipe open after the suite has ended.
  "$@" >"$log" 2>&1 || rc=$?
  cat "$log"
  local passed failed
  passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\..*/\1/p' "$log" | tail -n 1)
  failed=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\{0,1\}, listed below:.*/\1/p' "$log" | tail -n 1)
  rm -f "$log"
  passed=${passed:-0}
  failed=${failed:-0}
  if ((rc != 0 && failed == 0)); then
    failed=1
    pix_log "$name: ended with code $rc before its summary"
  fi
  PIX_PASSED=$((PIX_PASSED + passed))
  PIX_FAILED=$((PIX_FAILED + failed))
  ((failed == 0)) || PIX_FAILED_SUITES+=("$name")
}

# Adds the counts of a suite that reports "N passed, N failed" itself.
pix_add_counts() {
  local name=$1 passed=$2 failed=$3
  PIX_PASSED=$((PIX_PASSED + passed))
  PIX_FAILED=$((PIX_FAILED + failed))
  ((failed == 0)) || PIX_FAILED_SUITES+=("$name")
}

# Runs a script suite that ends with a line "NAME: N passed, N failed" and
# adds its counts; a suite that ends without that line counts as one failure.
pix_run_counted() {
  local name=$1
  shift
  local log
  log=$(mktemp)
  "$@" >"$log" 2>&1
  cat "$log"
  local line
  line=$(grep -E "^$name: [0-9]+ passed, [0-9]+ failed" "$log" | tail -n 1)
  rm -f "$log"
  if [[ -z $line ]]; then
    pix_log "$name: ended without its summary"
    pix_add_counts "$name" 0 1
    return
  fi
  local counts=${line#"$name: "}
  pix_add_counts "$name" "${counts%% passed*}" "$(sed -E 's/.*, ([0-9]+) failed.*/\1/' <<<"$counts")"
}

pix_summary() {
  if ((${#PIX_FAILED_SUITES[@]} > 0)); then
    echo "failing suites: ${PIX_FAILED_SUITES[*]}"
  fi
  echo "$PIX_PASSED passed, $PIX_FAILED failed"
  ((PIX_FAILED == 0))
}
