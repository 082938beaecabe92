#!/usr/bin/env bash
# Installs the Debian packages this project builds and tests with. Idempotent:
# a machine that already has everything only pays for a dpkg query.
set -euo pipefail

PACKAGES=(
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
  wine wine32:i386 wine64
  xvfb xauth x11-utils imagemagick
  locales fonts-wqy-microhei fonts-arphic-uming
  cmake ninja-build make pkg-config dpkg-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libpng-dev libjpeg-dev zlib1g-dev libgif-dev
  clang libclang-rt-14-dev
  nsis osslsigncode
  libasio-dev libsqlite3-dev sqlite3 libssl-dev
  postgresql libpq-dev python3-prometheus-client
  minisign libsodium-dev autoconf automake libtool openssl
  zsync
)

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  NEED_UPDATE=1
fi
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# deb-src entries let the dependency build fetch the libpng, libjpeg-turbo and libsodium sources.
SRC_LIST=/etc/apt/sources.list.d/project-deb-src.sources
if [ ! -f "$SRC_LIST" ]; then
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | as_root tee "$SRC_LIST" >/dev/null
  NEED_UPDATE=1
fi

if [ ${#missing[@]} -gt 0 ] || [ -n "${NEED_UPDATE:-}" ]; then
  # A mirror in the middle of a sync answers with index files of the wrong size;
  # try again, and if some index still fails, install from what did arrive (the
  # install itself fails if a package really cannot be had).
  for attempt in 1 2 3 4; do
    echo "install-deps: apt-get update"
    if as_root apt-get update -qq; then break; fi
    if [ "$attempt" = 4 ]; then echo "install-deps: some package indexes did not update; going on with the rest"; break; fi
    sleep $((attempt * 15))
  done
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  install() { as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" >/dev/null; }
  # Without one architecture's security index (see above) the i386 libraries
  # cannot match their amd64 twins' security versions; the release's own
  # versions match on both architectures.
  if ! install "${missing[@]}"; then
    echo "install-deps: retrying with the release's own package versions"
    install -t bookworm "${missing[@]}"
  fi
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  echo "install-deps: generating zh_CN.UTF-8 and en_US.UTF-8"
  as_root sed -i -E 's/^# *(zh_CN.UTF-8 UTF-8)/\1/; s/^# *(en_US.UTF-8 UTF-8)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  grep -q '^en_US.UTF-8 UTF-8' /etc/locale.gen || echo 'en_US.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi
echo "install-deps: ok"
