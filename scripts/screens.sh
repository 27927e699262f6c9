#!/usr/bin/env bash
# Renews the READMEs' pictures: the end-to-end tests screenshot every screen on the
# virtual display (build/screens/), and those the READMEs show are copied to docs/screens/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
echo "running the end-to-end cases, which take the screenshots (typically 2 min, 10 min under emulation)..."
bash scripts/e2e.sh >build/screens.log 2>&1 || { tail -20 build/screens.log; echo "the end-to-end run failed; its log: build/screens.log"; exit 1; }
mkdir -p docs/screens
for name in redirect-warning redirect-reset warning-modified message-unmodified main-window tool-tip \
            method1-first method1-second method2-warning method2-question method3-question about no-sysinfo error \
            other-places; do
  cp "build/screens/$name.png" docs/screens/
done
echo "docs/screens/ renewed"
