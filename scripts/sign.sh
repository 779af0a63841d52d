#!/usr/bin/env bash
# Authenticode signing of the Windows release files with osslsigncode (only
# options Debian 12's osslsigncode 2.5 has).
#   sign.sh --status          says whether a certificate is given (exit 0) or not (exit 1)
#   sign.sh FILE...           signs each file in place and verifies the signature
#   sign.sh --verify FILE...  verifies each file; of a .zip, every .scr and .exe inside
# The certificate comes from the environment, never from the repository:
#   CORVALINTH_SIGN_PKCS12          a PKCS#12 file with the key and the certificate chain, or
#   CORVALINTH_SIGN_CERT            the certificate chain (PEM or DER) and
#   CORVALINTH_SIGN_KEY             its private key (PEM or DER)
#   CORVALINTH_SIGN_PASSWORD_FILE   a file holding the password of the key, or
#   CORVALINTH_SIGN_PASSWORD        the password itself
#   CORVALINTH_SIGN_TIMESTAMP_URL   an RFC 3161 time-stamp server (optional, off by default)
#   CORVALINTH_SIGN_CAFILE          the trusted roots to verify against (PEM; default: the system's)
# The key, the PKCS#12 file and the password file must lie outside the source tree.
set -euo pipefail
root=$(realpath "$(dirname "$0")/..")
die() { echo "sign: $*" >&2; exit 1; }

configured() { [ -n "${CORVALINTH_SIGN_PKCS12:-}${CORVALINTH_SIGN_CERT:-}" ]; }

# A secret kept in the source tree is one commit away from being published.
outside_tree() {
  local name=$1 file=$2 full
  [ -r "$file" ] || die "$name ($file) cannot be read"
  full=$(realpath "$file")
  [[ $full != "$root"/* ]] || die "$name ($file) lies inside the source tree: keep it outside"
}

workdir=""
cleanup() { [ -z "$workdir" ] || rm -rf "$workdir"; }
trap cleanup EXIT
scratch() { [ -n "$workdir" ] || workdir=$(mktemp -d); }

credentials=()
read_credentials() {
  if [ -n "${CORVALINTH_SIGN_PKCS12:-}" ]; then
    outside_tree CORVALINTH_SIGN_PKCS12 "$CORVALINTH_SIGN_PKCS12"
    credentials=(-pkcs12 "$CORVALINTH_SIGN_PKCS12")
  else
    [ -n "${CORVALINTH_SIGN_KEY:-}" ] || die "CORVALINTH_SIGN_CERT is set but CORVALINTH_SIGN_KEY is not"
    [ -r "$CORVALINTH_SIGN_CERT" ] || die "CORVALINTH_SIGN_CERT ($CORVALINTH_SIGN_CERT) cannot be read"
    outside_tree CORVALINTH_SIGN_KEY "$CORVALINTH_SIGN_KEY"
    credentials=(-certs "$CORVALINTH_SIGN_CERT" -key "$CORVALINTH_SIGN_KEY")
  fi
  if [ -n "${CORVALINTH_SIGN_PASSWORD_FILE:-}" ]; then
    outside_tree CORVALINTH_SIGN_PASSWORD_FILE "$CORVALINTH_SIGN_PASSWORD_FILE"
    credentials+=(-readpass "$CORVALINTH_SIGN_PASSWORD_FILE")
  elif [ -n "${CORVALINTH_SIGN_PASSWORD:-}" ]; then
    # Through a private file: a password on the command line shows in the process list.
    scratch
    (umask 077 && printf '%s' "$CORVALINTH_SIGN_PASSWORD" >"$workdir/password")
    credentials+=(-readpass "$workdir/password")
  fi
  [ -z "${CORVALINTH_SIGN_TIMESTAMP_URL:-}" ] || credentials+=(-ts "$CORVALINTH_SIGN_TIMESTAMP_URL")
}

verify_one() {
  local file=$1 trust=() log
  [ -z "${CORVALINTH_SIGN_CAFILE:-}" ] || trust=(-CAfile "$CORVALINTH_SIGN_CAFILE")
  if ! log=$(osslsigncode verify "${trust[@]}" -in "$file" 2>&1); then
    printf '%s\n' "$log" >&2
    die "$(basename "$file") carries no valid signature (a root the system does not trust goes in CORVALINTH_SIGN_CAFILE)"
  fi
  echo "sign: verified $(basename "$file")"
}

verify() {
  local file inner
  for file in "$@"; do
    if [[ $file == *.zip ]]; then
      scratch
      rm -rf "$workdir/zip" && mkdir "$workdir/zip"
      file=$(realpath "$file")
      (cd "$workdir/zip" && cmake -E tar xf "$file")
      for inner in "$workdir"/zip/*.scr "$workdir"/zip/*.exe; do
        [ ! -e "$inner" ] || verify_one "$inner"
      done
    else
      verify_one "$file"
    fi
  done
}

sign() {
  local file signed
  configured || die "no certificate given (CORVALINTH_SIGN_PKCS12, or CORVALINTH_SIGN_CERT and CORVALINTH_SIGN_KEY)"
  command -v osslsigncode >/dev/null || die "osslsigncode is not installed"
  read_credentials
  for file in "$@"; do
    # osslsigncode writes a new file; the signed one replaces the original only when complete.
    signed="$file.signing"
    osslsigncode sign "${credentials[@]}" -h sha256 -n "Corvalinth" -i "https://corvalinth.example/" \
      -in "$file" -out "$signed" >/dev/null || { rm -f "$signed"; die "signing $(basename "$file") failed"; }
    mv -f "$signed" "$file"
    verify_one "$file"
  done
}

case ${1:-} in
  --status)
    if configured; then echo "sign: signing with ${CORVALINTH_SIGN_PKCS12:-$CORVALINTH_SIGN_CERT}"
    else echo "sign: no certificate given: the release is UNSIGNED (README: Signing a release)"; exit 1; fi ;;
  --verify) shift; [ $# -gt 0 ] || die "nothing to verify"; verify "$@" ;;
  ""|-*) echo "usage: sign.sh --status | FILE... | --verify FILE..." >&2; exit 2 ;;
  *) sign "$@" ;;
esac
