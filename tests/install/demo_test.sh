#!/usr/bin/env bash
# Runs scripts/demo without a display and checks what it prints: the status bar after a refresh,
# the generated page's rows under their branches, the PayPal lines, and a picture that exists.
set -euo pipefail
source_dir=$1
bin_dir=$2
unset DISPLAY WAYLAND_DISPLAY
export TMPDIR="${BIDLARK_TEST_SANDBOX:-$(mktemp -d)}"
out=$(bash "$source_dir/scripts/demo" "$bin_dir")
echo "$out"
fail() { echo "demo test: $*" >&2; exit 1; }
grep -q '^Status bar: last sync: ' <<<"$out" || fail "no 'last sync: ' in the status bar"
# Each branch in its order, each followed by at least one indented row of the sandbox's page.
for branch in "Items I am Selling" "Items I have Sold" "Bids I have Placed" "Auctions I have Won" \
              "Items I am Watching" "Auctions I did not Win" "Items I did not Sell"; do
  awk -v b="  $branch" '$0 == b { found = 1; next } found { exit !($0 ~ /^    [^ ]/) } END { exit !found }' \
    <<<"$out" || fail "branch '$branch' missing or empty"
done
grep -q '^    Balance: \$' <<<"$out" || fail "no PayPal balance line"
picture=$(sed -n 's/^Picture of the window: //p' <<<"$out")
[ -s "$picture" ] || fail "no picture at '$picture'"
head -c 8 "$picture" | od -An -tx1 | grep -q '89 50 4e 47' || fail "'$picture' is no PNG"
echo "demo test: passed"
