#!/usr/bin/env bash
# Checks the built package as a user gets it: the files it holds, its metadata (the libraries
# its programs link are all in Depends, and a Japanese font), that its programs run from the
# extracted tree and convert the bundled sample, that lintian finds no error, and that
# `cmake --install` puts down the same set of files.
#   packaging/check-package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
version=$(sed -n 's/^inline constexpr char kVersion\[\] = "\(.*\)";$/\1/p' "$build/generated/platform/version.h")
deb="$build/quillwave_${version}_$(dpkg --print-architecture).deb"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "check-package: $deb: $*" >&2
  exit 1
}
[[ -n "$version" && -f "$deb" ]] || fail "no such package (make package builds it)"

# The files, from dpkg-deb -c.
expected=(
  usr/bin/quillwave
  usr/bin/quillwave-cli
  usr/share/applications/quillwave.desktop
  usr/share/icons/hicolor/16x16/apps/quillwave.png
  usr/share/icons/hicolor/32x32/apps/quillwave.png
  usr/share/icons/hicolor/48x48/apps/quillwave.png
  usr/share/icons/hicolor/scalable/apps/quillwave.svg
  usr/share/man/man1/quillwave.1.gz
  usr/share/man/man1/quillwave-cli.1.gz
  usr/share/bash-completion/completions/quillwave-cli
  usr/share/zsh/vendor-completions/_quillwave-cli
  usr/share/doc/quillwave/README.md
  usr/share/doc/quillwave/copyright
  usr/share/doc/quillwave/changelog.gz
  usr/share/doc/quillwave/examples/hello.wav
)
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||' | grep -v '/$' | sort >"$work/package-files"
for file in "${expected[@]}"; do
  grep -qxF "$file" "$work/package-files" || fail "lacks /$file"
done

# The metadata, from dpkg-deb -I.
dpkg-deb -I "$deb" >"$work/info"
field() { sed -n "s/^ $1: //p" "$work/info"; }
[[ "$(field Package)" == quillwave ]] || fail "Package is '$(field Package)'"
[[ "$(field Version)" == "$version" ]] || fail "Version is '$(field Version)', not $version"
[[ -n "$(field Maintainer)" && -n "$(field Description)" ]] || fail "no Maintainer or Description"
depends=$(field Depends)
depends_entry() { tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ *$//' | grep -qE "$1"; }
depends_entry '^fonts-ipafont-gothic \| fonts-noto-cjk$' || fail "Depends lacks 'fonts-ipafont-gothic | fonts-noto-cjk': $depends"
dpkg-deb -x "$deb" "$work/root"
depends_package() { tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | grep -qxF "$1"; }
for program in quillwave quillwave-cli; do
  # Every shared library a program links itself comes from a package that Depends names.
  binary="$work/root/usr/bin/$program"
  for soname in $(readelf -d "$binary" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p'); do
    library=$(ldd "$binary" | awk -v soname="$soname" '$1 == soname {print $3}')
    [[ -n "$library" ]] || fail "$program needs $soname, which is not installed here"
    owner=$(dpkg -S "$library" 2>/dev/null || dpkg -S "$(readlink -f "$library")" 2>/dev/null) ||
      fail "no package owns $library"
    owner=${owner%%:*}
    depends_package "$owner" || fail "$program links $soname of $owner, which Depends lacks: $depends"
  done
done

# The extracted programs run: the versions, and a conversion of the bundled sample.
[[ "$("$work/root/usr/bin/quillwave-cli" --version)" == *"$version"* ]] || fail "quillwave-cli --version"
[[ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$work/root/usr/bin/quillwave" --version)" == "quillwave $version" ]] ||
  fail "quillwave --version"
"$work/root/usr/bin/quillwave-cli" convert -o "$work/hello.dat" "$work/root/usr/share/doc/quillwave/examples/hello.wav" ||
  fail "the extracted quillwave-cli did not convert the bundled sample"
size=$(stat -c %s "$work/hello.dat")
(( size > 64 && size % 64 == 0 )) || fail "the sample's .dat has $size bytes"

# Debian's checks: no error; the warnings are printed.
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian found errors"

# cmake --install puts down the same files as the package.
DESTDIR="$work/install" cmake --install "$build" --prefix /usr >/dev/null
(cd "$work/install" && find . ! -type d | sed 's|^\./||' | sort) >"$work/install-files"
diff -u "$work/package-files" "$work/install-files" >&2 || fail "cmake --install differs from the package (- package, + install)"
echo "check-package: $deb: $(wc -l <"$work/package-files") files, Depends: $depends; lintian: no errors"
