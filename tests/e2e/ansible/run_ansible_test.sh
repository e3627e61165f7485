#!/usr/bin/env bash
# The Ansible collection orvex.readers against simulated readers on this
# machine (-c local): a serial reader, two readers in USB keyboard mode and,
# inside a namespace lab of its own, a LAN fleet. The playbooks assert what
# each task reported; this script checks what they left behind.
#   run_ansible_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
here=$source/tests/e2e/ansible
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
export ANSIBLE_COLLECTIONS_PATH=$source/ansible
export ANSIBLE_LOCAL_TEMP=$work/ansible-local ANSIBLE_REMOTE_TEMP=$work/ansible-remote
export ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_CONFIG=$work/ansible.cfg
export ANSIBLE_COLLECTIONS_SCAN_SYS_PATH=0 ANSIBLE_GATHERING=explicit
export PATH=$build:$PATH   # the modules find orvexctl in PATH
: >"$work/ansible.cfg"   # no configuration of the machine or the user
play() {
  ansible-playbook -i localhost, -c local -e ansible_python_interpreter=/usr/bin/python3 \
    -e work="$work" "$@"
}

# Every module's documentation as ansible-doc shows it, and the sanity tests
# of ansible-test that need nothing from the network (the others install
# their linters from PyPI), on a copy of the collection.
for module in reader_info reader_config reader_backup keytable lan_fleet; do
  ansible-doc "orvex.readers.$module" >/dev/null || fail "ansible-doc orvex.readers.$module"
done
ansible-playbook -i "$source/examples/ansible/inventory.yml" --syntax-check "$source/examples/ansible/readers.yml" \
  >/dev/null || fail "examples/ansible/readers.yml"
mkdir -p "$work/sanity/ansible_collections/orvex"
cp -r "$source/ansible/ansible_collections/orvex/readers" "$work/sanity/ansible_collections/orvex/"
(cd "$work/sanity/ansible_collections/orvex/readers" &&
  ansible-test sanity --local --python "$(/usr/bin/python3 -c 'import sys; print("%d.%d" % sys.version_info[:2])')" \
    --skip-test ansible-doc --skip-test changelog --skip-test import --skip-test pep8 --skip-test pylint \
    --skip-test pslint --skip-test runtime-metadata --skip-test validate-modules --skip-test yamllint) ||
  fail "ansible-test sanity"

# Starts orvex-readersim with ARGS; prints what it printed first (its port or socket).
start_sim() {
  local out=$work/sim-${#pids[@]}.out
  "$build/orvex-readersim" "$@" >"$out" 2>&1 &
  pids+=($!)
  for _ in $(seq 1 100); do [ -s "$out" ] && break; sleep 0.05; done
  head -1 "$out"
}

# A serial reader with its configuration in a state file; site.mkr changes two
# of its parts, refused.mkr holds a value out of range.
serial=$(start_sim --state "$work/reader.ini")
orvexctl --port "$serial" read-config "$work/original.mkr" >/dev/null
sed -e 's/^Zykluszeit=.*/Zykluszeit=2000/' -e 's/^ZeichenAnzahl=.*/ZeichenAnzahl=12/' \
  "$work/original.mkr" >"$work/site.mkr"
sed -e 's/^ZeichenAnzahl=.*/ZeichenAnzahl=999/' "$work/original.mkr" >"$work/refused.mkr"
# The playbook checks the simulator's state file against these.
sha1sum "$work/reader.ini" | cut -d' ' -f1 >"$work/state-before"
play -e reader_port="$serial" -e state="$work/reader.ini" "$here/serial_reader.yml"
orvexctl --port "$serial" read-config "$work/after.mkr" >/dev/null
grep -q '^Zykluszeit=2000' "$work/after.mkr" || fail "the reader does not hold site.mkr after the play"
# Check mode and diff mode again, now that the reader holds the file.
play -e reader_port="$serial" "$here/serial_unchanged.yml"

# Two readers in USB keyboard mode, one with a US table and one with a German one.
export ORVEX_HID_SIM_DIR=$work/hid
mkdir -p "$ORVEX_HID_SIM_DIR"
start_sim --hid "$ORVEX_HID_SIM_DIR" --serial 73010001 --layout us >/dev/null
start_sim --hid "$ORVEX_HID_SIM_DIR" --serial 73010002 --layout de >/dev/null
orvexctl --port "73010002 HID" keytable get "$work/keys-de.mkr" >/dev/null
play -e '{"reader_port": "73010001 HID"}' -e keys="$work/keys-de.mkr" "$here/usb_keytable.yml"

# The LAN fleet, only inside a namespace lab (never the machine's own network).
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: the LAN fleet needs root for its namespace lab" >&2
  exit 0
fi
cp "$work/site.mkr" "$work/fleet.mkr"
sed -i '/^\[Reader\]/,/^Model=/d' "$work/fleet.mkr"
set +e
"$source/tools/netns-lab" --sim "$build/orvex-readersim" \
  --reader 192.168.1.30/24 --reader 192.168.1.31/24 -- \
  env PATH="$PATH" bash -c "$(declare -f play); work='$work'; play -e src='$work/fleet.mkr' '$here/lan_fleet.yml'"
status=$?
set -e
[ $status -eq 77 ] && { echo "SKIP: network namespaces cannot be made here" >&2; exit 0; }
[ $status -eq 0 ] || fail "lan_fleet play (exit $status)"
echo "All Ansible plays passed."
