#!/usr/bin/env bash
# Fails when a C++ source of the tree is not laid out as the project's .clang-format says.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
