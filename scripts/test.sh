#!/usr/bin/env bash
# Builds both trees and runs every test under Wine. Installs what a fresh
# Debian machine lacks first.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
scripts/bootstrap.sh
cmake --workflow --preset all
