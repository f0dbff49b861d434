#!/bin/sh
# Installs the build into a staging folder and checks that every file a user or a package
# needs is there, and that the AppStream metadata matches the desktop file it names.
# Usage: install-tree.sh BUILD_DIR WITH_GUI(ON|OFF)
set -eu
build=$1
gui=$2
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
root=$stage/usr

missing=0
expect() {
    for f in "$@"; do
        [ -f "$root/$f" ] || { echo "not installed: $f"; missing=1; }
    done
}
expect bin/brackenhold-cli \
    share/man/man1/brackenhold-cli.1.gz \
    share/bash-completion/completions/brackenhold-cli \
    share/zsh/vendor-completions/_brackenhold-cli \
    share/fish/vendor_completions.d/brackenhold-cli.fish \
    share/doc/brackenhold/manual.html \
    share/doc/brackenhold/LICENSE \
    share/doc/brackenhold/copyright
if [ "$gui" = ON ]; then
    expect bin/brackenhold \
        share/man/man1/brackenhold.1.gz \
        share/applications/org.tallowmere.Brackenhold.desktop \
        share/metainfo/org.tallowmere.Brackenhold.metainfo.xml \
        share/mime/packages/brackenhold.xml \
        share/icons/hicolor/scalable/apps/brackenhold.svg \
        share/icons/hicolor/48x48/apps/brackenhold.png
fi
# The manual is a whole page, not cmark's bare body.
grep -q '<title>Brackenhold manual</title>' "$root/share/doc/brackenhold/manual.html" ||
    { echo "manual.html has no title"; missing=1; }
# The man pages are real pages.
for page in "$root"/share/man/man1/*.1.gz; do
    gzip -dc "$page" | grep -q '^\.SH "*NAME' || { echo "no NAME section: $page"; missing=1; }
done
[ $missing -eq 0 ] || exit 1

if [ "$gui" = ON ] && command -v appstreamcli >/dev/null 2>&1; then
    appstreamcli validate-tree --no-net "$stage"
fi
echo "install tree complete"
