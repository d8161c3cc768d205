#!/usr/bin/env bash
# The libraries' dynamic symbol tables hold their public API only (namespace qel, nothing of std::,
# no internals), the provider exports its twelve entry points, qelmail needs no GUI library and
# qelwidgets never needs qelmail.
# usage: library_boundary.sh LIBQELFRAMEWORK LIBQELMAIL LIBMAPI32 LIBQELWIDGETS
set -euo pipefail
framework=$1 mail=$2 mapi=$3 widgets=$4
status=0
fail() { echo "library_boundary: $*" >&2; status=1; }
# Defined dynamic symbols without their version suffix; the version node itself (type A) is no symbol.
symbols() { nm -D --defined-only "$1" | awk '$2 != "A" { sub(/@.*/, "", $3); print $3 }'; }
# Mangled names owned by namespace qel: functions, variables, vtables, typeinfo, guards, thunks.
in_qel='^_Z(T[VISTC]|GVZ?|Z|T[hv][n0-9_]*)?NK?[RO]?3qel'
internals='qel::(SmtpProtocol|PopProtocol)::|qel::(TBase64LineEncoder|TBase64GroupDecoder)\b'

for lib in "$framework" "$mail" "$widgets"; do
  name=$(basename "$lib")
  mangled=$(symbols "$lib")
  demangled=$(c++filt <<<"$mangled")
  outside=$(grep -Ev "$in_qel" <<<"$mangled" | c++filt || true)
  [ -z "$outside" ] || fail "$name exports symbols outside namespace qel:"$'\n'"$(head -20 <<<"$outside")"
  std=$(grep -E '^(std::|[a-z ]+ for std::)' <<<"$demangled" || true)
  [ -z "$std" ] || fail "$name exports std:: symbols:"$'\n'"$(head -20 <<<"$std")"
  inner=$(grep -E "$internals" <<<"$demangled" || true)
  [ -z "$inner" ] || fail "$name exports internals:"$'\n'"$(head -20 <<<"$inner")"
done

# A version script that hid everything would pass the checks above.
grep -qx 'typeinfo for qel::EConvertError' <<<"$(symbols "$framework" | c++filt)" || fail "qelframework lost its exception typeinfo"
grep -qx 'qel::TQELSMTPMail::Execute()' <<<"$(symbols "$mail" | c++filt)" || fail "qelmail lost TQELSMTPMail::Execute"

entries=$(symbols "$mapi" | sort | tr '\n' ' ')
expected="MAPIAddress MAPIDeleteMail MAPIDetails MAPIFindNext MAPIFreeBuffer MAPILogoff MAPILogon "
expected+="MAPIReadMail MAPIResolveName MAPISaveMail MAPISendDocuments MAPISendMail QELMapiLastError "
[ "$entries" = "$expected" ] || fail "libmapi32 exports more or less than the twelve entry points and QELMapiLastError: $entries"

gui=$(ldd "$mail" | grep -E 'Qt6(Gui|Widgets|DBus)' || true)
[ -z "$gui" ] || fail "libqelmail needs GUI libraries:"$'\n'"$gui"

mailneeded=$(ldd "$widgets" | grep -E 'libqelmail' || true)
[ -z "$mailneeded" ] || fail "libqelwidgets needs qelmail:"$'\n'"$mailneeded"

[ "$status" -ne 0 ] || echo "library_boundary: passed"
exit "$status"
