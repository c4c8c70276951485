#!/usr/bin/env bash
# Installs a build into a scratch prefix and checks what a desktop and a CI job meet: the binary,
# a valid menu entry, the icon and the manual page, then runs the README's "Use in CI" example
# (its shell steps, as written) against the demo with the installed binary.
#   bash scripts/check-install.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?a build directory}

prefix=$(mktemp -d)
work=$(mktemp -d)
trap 'rm -rf "$prefix" "$work"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
test -x "$prefix/bin/tavrin"
desktop-file-validate "$prefix/share/applications/tavrin.desktop"
test -s "$prefix/share/icons/hicolor/scalable/apps/tavrin.svg"
grep -q '^\.SH SUBCOMMANDS' "$prefix/share/man/man1/tavrin.1"
grep -q 'hold\\-exclusive' "$prefix/share/man/man1/tavrin.1"

# The steps between "Run the application under provocation" and the artifact upload.
awk '/name: Run the application under provocation/ {on = 1; next}
     /uses: actions\/upload-artifact/ {on = 0}
     on && !/- name:/ && !/run: \|/ {sub(/^ +/, ""); print}' README.md >"$work/steps.sh"
grep -q 'tavrin run' "$work/steps.sh"
ln -s "$PWD/docs" "$work/docs"
(cd "$work" && PATH="$prefix/bin:$PATH" APP="sleep 4" bash -euo pipefail steps.sh)
echo "installation and the README's CI example are fine"
