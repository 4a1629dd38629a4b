#!/usr/bin/env bash
# The hub beside well-known relays, measured side by side in one run with
# bench/anchors/relaybench (one sender, the other clients receive; 64-byte
# messages): Redis pub/sub, NATS, mosquitto (MQTT), InspIRCd (IRC), yarrow-hub
# and the hub as a hosting window runs it (on its own thread, idle window).
# Throughput with 64 messages in flight, latency (send to last delivery) with
# one in flight, for 16 and for 64 clients. Installs the relays from Debian
# when missing. Figures on a shared machine move from run to run: compare the
# ratios within one run.
#
#   scripts/bench-anchors.sh [BUILD] [MESSAGES] [CLIENT COUNTS...]
#
# BASELINE_HUB=path adds another yarrow-hub build to the table (to compare a
# change with the build before it).
#
# ROUNDS=N (default 1) measures every relay N times, taking turns, and shows
# the median of each figure: the machine's speed drifts over minutes, and
# relays measured one after the other would otherwise meet different moments.
#
# Beside each throughput figure: the share of a processor the relay (all its
# threads) and the benchmark client used while measured. The one near 100 %
# sets the throughput; when neither is, the window does (64 messages in
# flight over the time each takes).
#
# BURST=1 has the benchmark's sender hand all the messages it may send at a
# moment to one send call, for every relay alike. Sending one message per call
# is most of the client's work, and a relay faster than the client otherwise
# shows only the client's limit.
#
# PIN=1 runs each relay on the first processor and the benchmark client on the
# second, both in the real-time class (root only): on a machine shared with
# builds, neither side then waits for the scheduler or meets the other on one
# processor. The machine's own speed still drifts (ROUNDS).
set -uo pipefail
relay_prefix=()
bench_prefix=()
if [ "${PIN:-0}" = 1 ]; then
    relay_prefix=(taskset -c 0 chrt -f 50)
    bench_prefix=(taskset -c 1 chrt -f 50)
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
messages=${2:-20000}
shift 2 2>/dev/null || shift $#
counts=("$@")
[ ${#counts[@]} -eq 0 ] && counts=(16 64)

need=()
for pair in mosquitto:mosquitto inspircd:inspircd redis-server:redis-server nats-server:nats-server; do
    command -v "${pair%%:*}" >/dev/null 2>&1 || need+=("${pair#*:}")
done
if [ ${#need[@]} -gt 0 ]; then
    echo "Installing: ${need[*]}"
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

bench=$build/bench/relaybench
if [ ! -x "$bench" ] || [ "$bench" -ot "$root/bench/anchors/relaybench.cpp" ]; then
    mkdir -p "$build/bench"
    g++ -O2 -std=c++20 -o "$bench" "$root/bench/anchors/relaybench.cpp" || exit 2
fi
hub=$build/bin/yarrow-hub
host=$build/bench/hub_host_qt
tmp=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null && wait "$p" 2>/dev/null; done
    rm -rf "$tmp"
}
trap cleanup EXIT

# start LABEL PORT COMMAND...: starts one relay and waits until it listens.
start() {
    local label=$1 port=$2
    shift 2
    "${relay_prefix[@]}" "$@" >"$tmp/$label.out" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && return 0
        sleep 0.05
    done
    echo "$label did not start listening on $port" >&2
    return 1
}
# measure LABEL PORT PROTO CLIENTS: adds one throughput and one latency figure
# for LABEL at CLIENTS ("fails" when it failed); up to three tries (InspIRCd
# now and then drops a client while registering).
declare -A tput p50 p99 relay_busy client_busy
# percent KEY LINE: the share KEY=0.93 of the benchmark's line as 93 (nothing when not measured).
percent() {
    sed -n "s/.*$1=\([0-9.]*\).*/\1/p" <<<"$2" | awk '{ printf "%d", $1 * 100 + 0.5 }'
}
measure() {
    local label=$1 port=$2 proto=$3 n=$4 out w try
    for w in 64 1; do
        out=
        for try in 1 2 3; do
            out=$("${bench_prefix[@]}" "$bench" --proto "$proto" --port "$port" --clients "$n" --messages "$messages" \
                --size 64 --window $w --relay-pid "${pid_of[$label]}" --burst "${BURST:-0}" 2>/dev/null) && break
            out=
        done
        if [ -z "$out" ]; then
            [ $w = 64 ] && tput[$label,$n]+=" fails" || { p50[$label,$n]+=" fails"; p99[$label,$n]+=" fails"; }
            continue
        fi
        if [ $w = 64 ]; then
            tput[$label,$n]+=" $(sed -n 's/.*deliveries\/s=\([0-9]*\).*/\1/p' <<<"$out")"
            relay_busy[$label,$n]+=" $(percent relay_busy "$out")"
            client_busy[$label,$n]+=" $(percent bench_busy "$out")"
        else
            p50[$label,$n]+=" $(sed -n 's/.*p50_us=\([0-9]*\).*/\1/p' <<<"$out")"
            p99[$label,$n]+=" $(sed -n 's/.*p99_us=\([0-9]*\).*/\1/p' <<<"$out")"
        fi
    done
}
# median FIGURES...: the middle one of those measured, or "fails".
median() {
    printf '%s\n' "$@" | grep -E '^[0-9]+$' | sort -n |
        awk '{ v[NR] = $1 } END { print NR ? v[int((NR + 1) / 2)] : "fails" }'
}

cat >"$tmp/mosq.conf" <<CONF
listener 18830 127.0.0.1
allow_anonymous true
max_queued_messages 100000
CONF
sed "s|/tmp/insp|$tmp/insp|g" "$root/bench/anchors/inspircd.conf" >"$tmp/insp.conf"
mkdir -p "$tmp/home"
labels=()
declare -A port_of proto_of pid_of
run() { # LABEL PORT PROTO COMMAND...: starts a relay to be measured
    local label=$1 port=$2 proto=$3
    shift 3
    start "$label" "$port" "$@" || return
    labels+=("$label")
    port_of[$label]=$port
    proto_of[$label]=$proto
    pid_of[$label]=${pids[-1]}
}
run redis 16379 redis redis-server --port 16379 --bind 127.0.0.1 --save '' --appendonly no
run nats 14222 nats nats-server -p 14222 -a 127.0.0.1
run mosquitto 18830 mqtt mosquitto -c "$tmp/mosq.conf"
run inspircd 16667 irc inspircd --config="$tmp/insp.conf" --runasroot --nofork
mkdir -p "$tmp/home-baseline"
[ -n "${BASELINE_HUB:-}" ] && run baseline-hub 15997 yarrow "$BASELINE_HUB" --port 15997 --home "$tmp/home-baseline"
[ -x "$hub" ] && run yarrow-hub 15999 yarrow "$hub" --port 15999 --home "$tmp/home"
[ -x "$host" ] && QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} run hosting-window 15998 yarrow "$host" --port 15998
for _ in $(seq "${ROUNDS:-1}"); do
    for n in "${counts[@]}"; do
        for l in "${labels[@]}"; do measure "$l" "${port_of[$l]}" "${proto_of[$l]}" "$n"; done
    done
done
for key in "${!tput[@]}"; do tput[$key]=$(median ${tput[$key]}); done
for key in "${!p50[@]}"; do p50[$key]=$(median ${p50[$key]}); done
for key in "${!p99[@]}"; do p99[$key]=$(median ${p99[$key]}); done
for key in "${!relay_busy[@]}"; do relay_busy[$key]=$(median ${relay_busy[$key]}); done
for key in "${!client_busy[@]}"; do client_busy[$key]=$(median ${client_busy[$key]}); done

ratio() { # A B: A/B with two decimals, or "-"
    [[ "$1" =~ ^[0-9]+$ && "$2" =~ ^[0-9]+$ && "$2" -gt 0 ]] || { echo -; return; }
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'
}
for n in "${counts[@]}"; do
    echo
    echo "$n clients, $messages messages of 64 bytes$([ "${BURST:-0}" = 1 ] && echo ", sent in bursts")"
    printf '| %-14s | %27s | %22s | %28s |\n' relay "deliveries/s, 64 in flight" "busy: relay / client" \
        "p50 / p99 µs, one in flight"
    printf '|%s|%s|%s|%s|\n' "----------------" "-----------------------------:" "-----------------------:" \
        "-----------------------------:"
    for l in "${labels[@]}"; do
        busy=-
        [[ "${relay_busy[$l,$n]:-}" =~ ^[0-9]+$ ]] && busy="${relay_busy[$l,$n]} % / ${client_busy[$l,$n]} %"
        printf '| %-14s | %27s | %22s | %28s |\n' "$l" "${tput[$l,$n]:--}" "$busy" "${p50[$l,$n]:--} / ${p99[$l,$n]:--}"
    done
    best=${tput[redis,$n]:-0}
    [[ "${tput[nats,$n]:-}" =~ ^[0-9]+$ && ( ! "$best" =~ ^[0-9]+$ || ${tput[nats,$n]} -gt $best ) ]] && best=${tput[nats,$n]}
    echo "yarrow-hub throughput / best of Redis and NATS: $(ratio "${tput[yarrow-hub,$n]:-}" "$best") (goal >= 1.5)"
    echo "yarrow-hub p50 / Redis p50: $(ratio "${p50[yarrow-hub,$n]:-}" "${p50[redis,$n]:-}"), p99 / Redis p99: $(ratio "${p99[yarrow-hub,$n]:-}" "${p99[redis,$n]:-}") (goal <= 1)"
    echo "hosting window p50 / yarrow-hub p50: $(ratio "${p50[hosting-window,$n]:-}" "${p50[yarrow-hub,$n]:-}"), p99: $(ratio "${p99[hosting-window,$n]:-}" "${p99[yarrow-hub,$n]:-}") (goal <= 1.5)"
done
