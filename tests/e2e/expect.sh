# expect <what fails> <extended regular expression> <text>: counts a check that the text matches
# in passed, or says what fails and counts it in failed. Source it; end with the counts.
passed=0 failed=0
expect() {
  if grep -Eq -- "$2" <<<"$3"; then
    passed=$((passed + 1))
  else
    echo "FAIL: $1"
    failed=$((failed + 1))
  fi
}
