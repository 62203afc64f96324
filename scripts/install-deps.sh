#!/usr/bin/env bash
# Installs the Debian packages the client, the simulated platform, the tests and the
# benchmarks need. Quiet and quick when everything is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config ccache git
  clang-14 libfuzzer-14-dev libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libgl-dev libxkbcommon-dev
  libevent-dev librtmp-dev
  libavcodec-dev libavutil-dev libswscale-dev libavformat-dev
  libmbedtls-dev libjsoncpp-dev libcurl4-openssl-dev libssl-dev openssl
  libpugixml-dev libqrencode-dev
  nginx-light libnginx-mod-rtmp ffmpeg
  fonts-wqy-microhei locales
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}" >&2
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  # nginx's packaged service is not wanted: the tests start their own instance on loopback.
  if command -v systemctl >/dev/null 2>&1; then $SUDO systemctl disable --now nginx >/dev/null 2>&1 || true; fi
  $SUDO pkill -x nginx >/dev/null 2>&1 || true
fi

# The text-conversion tests run under a GBK locale as well as UTF-8.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.gbk$'; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  if ! grep -q '^zh_CN.GBK GBK' /etc/locale.gen 2>/dev/null; then
    echo 'zh_CN.GBK GBK' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  if ! grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
fi
