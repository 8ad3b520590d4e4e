#!/usr/bin/env bash
# fleet-bench.sh [BUILD] [PAIRS]: how much an idempotent run of ruva.ruva2.board costs over Ansible's own
# cost of reaching the hosts. Three Linux hosts on this machine (connection local, as the tests' hosts),
# each with its own ruva2-sim and two boards that already hold the configuration; farm-bench runs in
# pairs, PAIRS times each (default 10):
#   boards   one task with boards: [0, 1], one ruvacfg run per host
#   loop     the same task as two loop items, board: 0 and board: 1 (two ruvacfg runs per host)
#   one      one task with board: 1 and no loop
# each against the same play with one raw no-op task (raw: "true"), and prints farm-bench's reports,
# whose ratio of pairs is the figure. BUILD is the native build folder (default build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
pairs=${2:-10}
work=$(mktemp -d /tmp/ruva2-fleet-bench-XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

export ANSIBLE_CONFIG=$work/ansible.cfg ANSIBLE_HOME=$work/ansible-home ANSIBLE_LOCAL_TEMP=$work/tmp
export ANSIBLE_REMOTE_TEMP=$work/tmp ANSIBLE_COLLECTIONS_PATH=$root/ansible ANSIBLE_COLLECTIONS_SCAN_SYS_PATH=false
export ANSIBLE_NOCOLOR=1 PATH=$build/tools:$PATH
unset XDG_RUNTIME_DIR
printf '[defaults]\ninventory = %s/inventory.yml\nforks = 3\nretry_files_enabled = False\n' "$work" >"$ANSIBLE_CONFIG"

hosts=""
for host in pc1 pc2 pc3; do
    mkdir -p "$work/$host/run" && chmod 0700 "$work/$host/run"
    pid=$(XDG_RUNTIME_DIR=$work/$host/run "$build/sim/ruva2-sim" --state "$work/$host/state.json" |
        sed -n 's/^ruva2-sim: running as process \([0-9]*\);.*/\1/p')
    pids+=("$pid")
    hosts+="    $host: {ruva2_environment: {XDG_RUNTIME_DIR: $work/$host/run}}"$'\n'
done
printf 'pcs:\n  vars: {ansible_connection: local, ansible_python_interpreter: "{{ ansible_playbook_python }}"}\n  hosts:\n%s' \
    "$hosts" >"$work/inventory.yml"
XDG_RUNTIME_DIR=$work/pc1/run "$build/tools/ruvacfg" board read 0 -o "$work/site.cfg"

play() { # NAME TASK: a playbook of one task on every host
    printf -- '---\n- name: %s\n  hosts: pcs\n  gather_facts: false\n  environment: "{{ ruva2_environment }}"\n  tasks:\n%s\n' \
        "$1" "$2" >"$work/$1.yml"
}
play boards "    - {name: Write, ruva.ruva2.board: {boards: [0, 1], src: $work/site.cfg, section: '0'}}"
play loop "    - {name: Write, ruva.ruva2.board: {board: '{{ item }}', src: $work/site.cfg, section: '0'}, loop: [0, 1]}"
play one "    - {name: Write, ruva.ruva2.board: {board: 1, src: $work/site.cfg, section: '0'}}"
play raw '    - {name: Nothing, ansible.builtin.raw: "true", changed_when: false}'

ansible-playbook "$work/boards.yml" >/dev/null # the boards now hold the file's settings
for what in boards loop one; do
    out=$(ansible-playbook "$work/$what.yml")
    if grep -Eq 'changed=[1-9]|failed=[1-9]' <<<"$out"; then
        echo "$what is not idempotent: $out"
        exit 1
    fi
done
for what in boards loop one; do
    echo "== $what against raw"
    farm-bench -n "$pairs" --timeout 900 --vs "ansible-playbook $work/raw.yml" -- ansible-playbook "$work/$what.yml"
done
