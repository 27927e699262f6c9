#!/usr/bin/env bash
# Renews the READMEs' pictures: the end-to-end tests screenshot every screen on the
# virtual display (build/screens/), and those the READMEs show are copied to docs/screens/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/e2e.sh
mkdir -p docs/screens
for name in warning-modified message-unmodified main-window method1-first method1-second \
            method2-question method3-question about; do
  cp "build/screens/$name.png" docs/screens/
done
echo "docs/screens/ renewed"
