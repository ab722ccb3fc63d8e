#!/usr/bin/env bash
# Times the cross-password method against a plain copy and the tools a user would pick
# instead, in one run, on files of the given sizes, and prints each one's median time,
# MB/s, peak memory and its time relative to ours.
#
#   bench/peers.sh [BUILD_DIR] [SIZES_MIB] [REPEATS] [WORK_DIR]
#   bench/peers.sh build "256 1024" 5 /var/tmp/vrl-peers
#   PEERS_SYNC=1 bench/peers.sh ...   # every peer also syncs its output to disk
#   ONLY='ours|cp' bench/peers.sh ...  # only ours and the tools whose names match
#
# Ours runs twice: "bulk" with the cheapest key derivation (the bulk phase alone) and
# "total" with the default Argon2id cost. Every command writes a new file on the same file
# system; the page cache is flushed (sync) before each run, and the tools take turns within
# each round, starting with another tool every round, so that a busy machine slows them
# alike. Peers that are not installed are skipped (Debian packages: gpg, age, openssl,
# 7zip). Like cp, ours leaves its output in the page cache (it renames a complete file into
# place without forcing it to disk); "cp+sync" shows what a flush to disk adds.
set -euo pipefail

BUILD=${1:-build}
SIZES=${2:-"256 1024"}
REPEATS=${3:-5}
WORK=${4:-/var/tmp/vrl-peers}
BENCH=$(realpath "$BUILD")/bin/vrl-bench-dp
export VRL_PASSWORD='bench-password-1'
[[ -x $BENCH ]] || { echo "build vrl-bench-dp first: $BENCH" >&2; exit 1; }

mkdir -p "$WORK"
cd "$WORK"
export GNUPGHOME=$WORK/gnupg
mkdir -p -m 700 "$GNUPGHOME"
trap 'gpgconf --kill gpg-agent 2>/dev/null || true' EXIT
have() { command -v "$1" >/dev/null; }
SEVENZIP=$(command -v 7zz || command -v 7z || true)
if have age-keygen; then
    [[ -f age.key ]] || age-keygen -o age.key 2>/dev/null
    AGE_RECIPIENT=$(age-keygen -y age.key)
fi

# age reads its passphrase from a terminal only: answer it through a pseudo-terminal.
age_tty() {
    python3 - "$VRL_PASSWORD" "$@" <<'PY'
import os, pty, sys
password, args = sys.argv[1], sys.argv[2:]
pid, fd = pty.fork()
if pid == 0:
    os.execvp(args[0], args)
buffer = b""
while True:
    try:
        data = os.read(fd, 1024)
    except OSError:
        break
    if not data:
        break
    buffer += data
    if buffer.rstrip().endswith(b":"):
        os.write(fd, password.encode() + b"\n")
        buffer = b""
_, status = os.waitpid(pid, 0)
sys.exit(os.waitstatus_to_exitcode(status))
PY
}

# Each tool: a name, a put-away command and a take-out command; IN, OUT, LOCKED name files.
declare -a NAMES PUTS TAKES
tool() {
    [[ $1 == ours* || $1 =~ ${ONLY:-.} ]] || return 0
    NAMES+=("$1"); PUTS+=("$2"); TAKES+=("$3")
}
# A peer, with its outputs synced to disk when PEERS_SYNC=1.
peer() {
    if [[ ${PEERS_SYNC:-0} == 1 ]]; then
        tool "$1+sync" "$2 && sync \"\$LOCKED\"" "$3 && sync \"\$OUT\""
    else
        tool "$@"
    fi
}
tool "ours bulk" '"$BENCH" put "$IN" "$LOCKED" --bulk' '"$BENCH" take "$LOCKED" "$OUT"'
tool "ours total" '"$BENCH" put "$IN" "$LOCKED"' '"$BENCH" take "$LOCKED" "$OUT"'
tool "cp" 'cp "$IN" "$LOCKED"' 'cp "$LOCKED" "$OUT"'
tool "cp+sync" 'cp "$IN" "$LOCKED" && sync "$LOCKED"' 'cp "$LOCKED" "$OUT" && sync "$OUT"'
have gpg && peer "gpg aes256" \
    'gpg -q --batch --yes --pinentry-mode loopback --passphrase "$VRL_PASSWORD" --symmetric --cipher-algo AES256 --compress-algo none -o "$LOCKED" "$IN"' \
    'gpg -q --batch --yes --pinentry-mode loopback --passphrase "$VRL_PASSWORD" -d -o "$OUT" "$LOCKED"'
have age && peer "age passphrase" 'age_tty age -p -o "$LOCKED" "$IN"' \
    'age_tty age -d -o "$OUT" "$LOCKED"'
have age && peer "age key" 'age -r "$AGE_RECIPIENT" -o "$LOCKED" "$IN"' \
    'age -d -i age.key -o "$OUT" "$LOCKED"'
have openssl && peer "openssl ctr" \
    'openssl enc -aes-256-ctr -pbkdf2 -pass env:VRL_PASSWORD -in "$IN" -out "$LOCKED"' \
    'openssl enc -d -aes-256-ctr -pbkdf2 -pass env:VRL_PASSWORD -in "$LOCKED" -out "$OUT"'
[[ -n $SEVENZIP ]] && peer "7z store" \
    '"$SEVENZIP" a -bd -bso0 -mx=0 -p"$VRL_PASSWORD" "$LOCKED.7z" "$IN" && mv "$LOCKED.7z" "$LOCKED"' \
    'mkdir -p x && "$SEVENZIP" e -bd -bso0 -y -ox -p"$VRL_PASSWORD" "$LOCKED" && mv x/"$IN" "$OUT"'

# Runs one command after a flush; prints "seconds peak_kib".
timed() {
    sync
    local start end
    start=$(date +%s%N)
    /usr/bin/time -f "%M" -o peak.txt bash -c "$1" >/dev/null || { echo "failed: $1" >&2; exit 1; }
    end=$(date +%s%N)
    echo "$(( (end - start) / 1000 )) $(tail -1 peak.txt)"
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
export -f age_tty
export BENCH SEVENZIP AGE_RECIPIENT

for size in $SIZES; do
    IN=src-$size.bin
    [[ -f $IN && $(stat -c %s "$IN") -eq $((size << 20)) ]] ||
        head -c $((size << 20)) /dev/urandom >"$IN"
    declare -A putTimes takeTimes putPeak takePeak
    for ((n = 0; n < ${#NAMES[@]}; n++)); do putTimes[$n]=""; takeTimes[$n]=""; done
    for ((round = 1; round <= REPEATS; round++)); do
        # Each round starts with another tool, so that no tool always runs in the same slot.
        for ((i = 0; i < ${#NAMES[@]}; i++)); do
            n=$(((i + round) % ${#NAMES[@]}))
            export IN LOCKED=locked.bin OUT=out.bin
            rm -rf locked.bin out.bin x
            read -r us peak < <(timed "${PUTS[$n]}")
            putTimes[$n]+="$us "; putPeak[$n]=$peak
            read -r us peak < <(timed "${TAKES[$n]}")
            takeTimes[$n]+="$us "; takePeak[$n]=$peak
            cmp -s "$IN" out.bin || { echo "${NAMES[$n]}: round trip differs" >&2; exit 1; }
        done
    done
    rm -rf locked.bin out.bin x
    echo
    echo "== $size MiB, median of $REPEATS, machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
    printf '%-20s %9s %8s %8s %9s %9s | %9s %8s %8s %9s %9s\n' tool "put s" "MB/s" "peakMiB" "/bulk" \
        "/total" "take s" "MB/s" "peakMiB" "/bulk" "/total"
    bulkPut=$(tr ' ' '\n' <<<"${putTimes[0]}" | grep . | median)
    bulkTake=$(tr ' ' '\n' <<<"${takeTimes[0]}" | grep . | median)
    totalPut=$(tr ' ' '\n' <<<"${putTimes[1]}" | grep . | median)
    totalTake=$(tr ' ' '\n' <<<"${takeTimes[1]}" | grep . | median)
    for ((n = 0; n < ${#NAMES[@]}; n++)); do
        put=$(tr ' ' '\n' <<<"${putTimes[$n]}" | grep . | median)
        take=$(tr ' ' '\n' <<<"${takeTimes[$n]}" | grep . | median)
        awk -v name="${NAMES[$n]}" -v size="$size" -v put="$put" -v take="$take" \
            -v pp="${putPeak[$n]}" -v tp="${takePeak[$n]}" -v bp="$bulkPut" -v bt="$bulkTake" \
            -v tp0="$totalPut" -v tt0="$totalTake" 'BEGIN {
            mb = size * 1048576 / 1e6
            printf "%-20s %9.3f %8.0f %8.0f %9.2f %9.2f | %9.3f %8.0f %8.0f %9.2f %9.2f\n",
                name, put / 1e6, mb / (put / 1e6), pp / 1024, put / bp, put / tp0,
                take / 1e6, mb / (take / 1e6), tp / 1024, take / bt, take / tt0 }'
    done
    unset putTimes takeTimes putPeak takePeak
done
