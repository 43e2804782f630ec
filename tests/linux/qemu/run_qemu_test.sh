#!/usr/bin/env bash
# Boots a Debian kernel under qemu (software emulation) with emulated SCSI CD drives and the
# guest program as its first process, then checks what the guest saw through the Linux ASPI
# layer. Usage: run_qemu_test.sh <guest program> <work folder>
# The kernel package comes from scripts/deps, in ${XDG_CACHE_HOME:-~/.cache}/drvflash/kernel.
set -euo pipefail

guest=$1
work=$2
home=${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}
cache=${DRVFLASH_KERNEL_CACHE:-${XDG_CACHE_HOME:-$home/.cache}/drvflash/kernel}
PATH=$PATH:/usr/sbin:/sbin

fail() { echo "qemu test: $*" >&2; exit 1; }

for tool in qemu-system-x86_64 depmod modprobe cpio dpkg-deb; do
  command -v "$tool" >/dev/null || fail "$tool is missing: run scripts/deps"
done
deb=$(ls "$cache"/linux-image-*.deb 2>/dev/null | sort -V | tail -n 1)
[ -n "$deb" ] || fail "no kernel package in $cache: run scripts/deps"

# The kernel and the few modules the machine needs, unpacked once per package.
kernel=$work/kernel/$(basename "$deb" .deb)
if [ ! -e "$kernel/.unpacked" ]; then
  rm -rf "$kernel"
  mkdir -p "$kernel"
  dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$kernel" --wildcards \
    './boot/vmlinuz-*' './lib/modules/*/modules.*' './lib/modules/*/kernel/drivers/scsi/*' \
    './lib/modules/*/kernel/drivers/virtio/*' './lib/modules/*/kernel/drivers/cdrom/*'
  version=$(basename "$(ls -d "$kernel"/lib/modules/*)")
  depmod -b "$kernel" "$version"
  touch "$kernel/.unpacked"
fi
version=$(basename "$(ls -d "$kernel"/lib/modules/*)")

# The initramfs: the guest program as /init with its shared libraries, and the modules in
# the order they load. scsi_mod scans nothing by itself: the guest scans the drives' targets.
root=$work/initramfs
rm -rf "$root"
mkdir -p "$root"/{proc,sys,dev}
cp "$guest" "$root/init"
for lib in $(ldd "$guest" | grep -o '/[^ ]*'); do
  mkdir -p "$root$(dirname "$lib")"
  cp -L "$lib" "$root$lib"
done
# The sg driver comes last, in a list of its own: the guest looks at the drives through their
# block nodes first, as on a machine where sg is not loaded.
add_modules() {  # add_modules <list> <module>...
  local list=$1 path inside parameters
  shift
  for module in "$@"; do
    modprobe -d "$kernel" -S "$version" --show-depends "$module" | awk '$1 == "insmod" {print $2}'
  done | while read -r path; do
    inside=${path#"$kernel"}
    [ -e "$root$inside" ] && continue
    mkdir -p "$root$(dirname "$inside")"
    cp "$path" "$root$inside"
    parameters=""
    [ "$(basename "$inside")" = scsi_mod.ko ] && parameters=" scan=manual"
    echo "$inside$parameters" >>"$root/$list"
  done
}
add_modules modules.list virtio_pci virtio_scsi sym53c8xx sr_mod
add_modules modules-sg.list sg
(cd "$root" && find . | cpio -o -H newc --quiet) >"$work/initramfs.cpio"

# A small medium for the drive on target 3.
dd if=/dev/zero of="$work/disc.img" bs=2048 count=64 status=none

console=$work/console.log
timeout 300 qemu-system-x86_64 -accel tcg -m 256 -nodefaults -nographic -no-reboot \
  -serial stdio -kernel "$kernel/boot/vmlinuz-$version" -initrd "$work/initramfs.cpio" \
  -append "console=ttyS0 loglevel=3 panic=-1 drvflash_scan=0:1,0:3,0:5,1:2 DRVFLASH_TRACE=/trace.jsonl" \
  -device virtio-scsi-pci,id=vscsi \
  -device scsi-cd,bus=vscsi.0,scsi-id=1,lun=0,vendor=ROZUVAZ,product=QTX-517,ver=1.28 \
  -drive if=none,id=disc,media=cdrom,format=raw,readonly=on,file="$work/disc.img" \
  -device scsi-cd,bus=vscsi.0,scsi-id=3,lun=0,drive=disc,vendor=ZEPHRA,product=QTX-517,ver=1.31 \
  -device scsi-cd,bus=vscsi.0,scsi-id=5,lun=0,vendor=ACME,product=CD-ROM,ver=0001 \
  -device lsi53c895a,id=lsi \
  -device scsi-cd,bus=lsi.0,scsi-id=2,lun=0,vendor=MORIC,product=QTX-517,ver=2.05 \
  </dev/null | tr -d '\r' | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' >"$console" ||
  fail "qemu failed; console: $(cat "$console")"

grep '^DRVFLASH' "$console" || true
expected=(
  'DRVFLASH sr drive "HA=0 ID=1 virtio_scsi  ROZUVAZ QTX-517          (ver1.28)"'
  'DRVFLASH sr drive "HA=0 ID=3 virtio_scsi  ZEPHRA  QTX-517          (ver1.31)"'
  'DRVFLASH sr drive "HA=1 ID=2 sym53c8xx  MORIC   QTX-517          (ver2.05)"'
  'DRVFLASH sr HA=0 ID=1 test_unit_ready outcome=3 sense=02-3a-00'
  'DRVFLASH sr setup: No SCSI generic node for /dev/sr0, /dev/sr1, /dev/sr2, /dev/sr3: firmware can be written only as root. Load the sg driver: sudo modprobe sg'
  'DRVFLASH support status=1 adapters=2'
  'DRVFLASH adapter 0 "virtio_scsi"'
  'DRVFLASH adapter 1 "sym53c8xx"'
  'DRVFLASH host virtio_scsi attached below a device'
  'DRVFLASH host sym53c8xx attached below a device'
  'DRVFLASH drive "HA=0 ID=1 virtio_scsi  ROZUVAZ QTX-517          (ver1.28)"'
  'DRVFLASH drive "HA=0 ID=3 virtio_scsi  ZEPHRA  QTX-517          (ver1.31)"'
  'DRVFLASH drive "HA=1 ID=2 sym53c8xx  MORIC   QTX-517          (ver2.05)"'
  'DRVFLASH HA=0 ID=1 test_unit_ready outcome=3 sense=02-3a-00'
  'DRVFLASH HA=0 ID=1 inquiry outcome=0 vendor="ROZUVAZ " product="QTX-517         " revision="1.28"'
  'DRVFLASH HA=0 ID=1 read_id_block outcome=3 sense=02-3a-00'
  'DRVFLASH HA=0 ID=3 test_unit_ready outcome=0 sense=00-00-00'
  'DRVFLASH HA=0 ID=3 read_id_block outcome=1 sense=05-20-00'
  'DRVFLASH HA=1 ID=2 test_unit_ready outcome=3 sense=02-3a-00'
  'DRVFLASH HA=1 ID=2 inquiry outcome=0 vendor="MORIC   " product="QTX-517         " revision="2.05"'
  'DRVFLASH HA=1 ID=2 read_id_block outcome=3 sense=02-3a-00'
  'DRVFLASH setup problems=0'
  'DRVFLASH done'
)
missing=0
for line in "${expected[@]}"; do
  grep -qxF -- "$line" "$console" || { echo "missing: $line" >&2; missing=1; }
done
# Exactly three drives: the CD-ROM of another model is left out.
[ "$(grep -c '^DRVFLASH drive ' "$console")" = 3 ] && [ "$(grep -c '^DRVFLASH sr drive ' "$console")" = 3 ] || { echo "not exactly three drives" >&2; missing=1; }
# The requests are in the trace: the scan INQUIRY of every target of both adapters, and the
# TEST UNIT READY that found no disc.
for ha in 0 1; do
  for target in 0 1 2 3 4 5 6 7; do
    grep -qF "\"ha\":$ha,\"target\":$target,\"lun\":0,\"cdb\":\"12000000fe00\"" "$console" ||
      { echo "no scan INQUIRY of $ha:$target in the trace" >&2; missing=1; }
  done
done
grep -qF '"ha":0,"target":1,"lun":0,"cdb":"000000000000","dir":"none","len":0,"status":4,"ha_stat":0,"sense":"02-3a-00"' \
  "$console" || { echo "no TEST UNIT READY of 0:1 in the trace" >&2; missing=1; }
if [ "$missing" != 0 ]; then
  echo "--- console" >&2
  cat "$console" >&2
  exit 1
fi
echo "qemu test: passed"
