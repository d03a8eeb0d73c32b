#!/bin/sh
# Runs the project's tests.
set -e
cd "$(dirname "$0")/.."
if command -v uv >/dev/null 2>&1; then
    uv run python -m unittest discover -s tests -v
else
    python3 -m unittest discover -s tests -v
fi
