#!/usr/bin/env bash
# The installed package as a host sees it: installs the build into a temporary prefix, builds the
# examples and a C++17 host with find_package against that prefix only, and a host with pkg-config;
# then send_report -> real SMTP server -> Maildir -> real POP3 server -> fetch_mailbox, and the
# saved attachments must equal the originals byte for byte.
# usage: examples_roundtrip.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
work=$(mktemp -d /tmp/qel-examples.XXXXXX)
prefix=$work/prefix
free_port() { /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
cleanup() {
  "$src/scripts/smtp-server" stop "$work"
  "$src/scripts/pop3-server" stop "$work"
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "examples_roundtrip: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
"$prefix/bin/qelmail" --help >/dev/null || fail "the installed tool does not run"
maillib=$(find "$prefix" -name libqelmail.so)
[ -e "$(dirname "$maillib")/libmapi32.so" ] || fail "libmapi32.so is not installed beside libqelmail.so"

# NAME DIR [cmake args...]: a fresh build folder; the package must come from the prefix.
build_host() {
  local name=$1 dir=$2 out=$work/build-$1
  if ! { cmake -S "$dir" -B "$out" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" "${@:3}" &&
         cmake --build "$out"; } >"$work/$name.log" 2>&1; then
    cat "$work/$name.log" >&2; fail "$name does not build against the installed package"
  fi
  grep -q "^qel_DIR:PATH=$prefix/" "$out/CMakeCache.txt" || fail "$name found a qel package outside $prefix"
}
build_host send_report "$src/examples/send_report" -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror"
build_host fetch_mailbox "$src/examples/fetch_mailbox" -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror"
ldd "$work/build-send_report/send_report" | grep -q "libqelmail.so.0 => $prefix/" ||
  fail "send_report does not run on the installed libraries"

# A host that asks for C++17 still gets C++20 from the package: the headers need it.
mkdir -p "$work/host17"
cat >"$work/host17/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(host17 LANGUAGES CXX)
set(CMAKE_CXX_STANDARD 17)
find_package(qel CONFIG REQUIRED COMPONENTS framework mail)
add_executable(host17 host.cpp)
target_link_libraries(host17 PRIVATE qel::mail)
CMAKE
cat >"$work/host17/host.cpp" <<'CPP'
#include "mail/QELTIEmails.h"
static_assert(__cplusplus >= 202002L, "the qel package must raise its host to C++20");
int main() { qel::TQELPOPMail pop(nullptr); return pop.ClassName() == "TQELPOPMail" ? 0 : 1; }
CPP
build_host host17 "$work/host17" -DCMAKE_CXX_FLAGS=-std=c++17
"$work/build-host17/host17" || fail "the C++17 host does not run"
sed -i 's/COMPONENTS framework mail/COMPONENTS mail nosuch/' "$work/host17/CMakeLists.txt"
if cmake -S "$work/host17" -B "$work/build-nosuch" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null 2>&1; then
  fail "find_package accepted an unknown component"
fi

# A mail-only host imports no Qt GUI module; a widgets host gets the GUI framework with it.
for c in framework mail; do
  ! grep -q 'Qt6::\(Gui\|Widgets\|PrintSupport\|Sql\)' "$(find "$prefix" -name "qel-$c-targets.cmake")" ||
    fail "the $c component's targets need Qt GUI modules"
done
mkdir -p "$work/widgetshost"
cat >"$work/widgetshost/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(widgetshost LANGUAGES CXX)
find_package(qel CONFIG REQUIRED COMPONENTS widgets)
add_executable(widgetshost host.cpp)
target_link_libraries(widgetshost PRIVATE qel::widgets)
CMAKE
cat >"$work/widgetshost/host.cpp" <<'CPP'
#include "widgets/QELAboutFree.h"
int main() { return qel::TQELAboutFreeStr("widgets host").Length() == 12 ? 0 : 1; }
CPP
build_host widgetshost "$work/widgetshost" -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror"
"$work/build-widgetshost/widgetshost" || fail "the widgets host does not run"

# pkg-config alone: the unit headers compile, qelmail's classes are registered, and an exception
# thrown inside the framework is caught by its type in the host.
cat >"$work/pchost.cpp" <<'CPP'
#include "framework/core/SysUtils.h"
#include "mail/QELMailClass.h"
#include "mail/QELTIEmails.h"
#include "mail/QELTMailAccount.h"
#include "mail/QELTMapiMail.h"
using namespace qel;
int main()
{
    TQELSMTPMail smtp(nullptr);
    if (smtp.ClassName() != "TQELSMTPMail" || !GetClass("TQELMapiMail")) return 1;
    try {
        StrToInt("twelve");
    } catch (const EConvertError&) {
        return 0;
    }
    return 1;
}
CPP
export PKG_CONFIG_PATH
PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name qel-mail.pc)")
# shellcheck disable=SC2046  # the flags are meant to split
${CXX:-c++} -o "$work/pchost" "$work/pchost.cpp" $(pkg-config --cflags --libs qel-mail) \
  -Wl,-rpath,"$(pkg-config --variable=libdir qel-mail)" || fail "the pkg-config host does not build"
"$work/pchost" || fail "the pkg-config host does not run"

smtp_port=$(free_port)
pop_port=$(free_port)
"$src/scripts/smtp-server" start "$work" "$smtp_port"
"$src/scripts/pop3-server" start "$work" "$pop_port" tester 'se cret'
printf 'se cret\n' >"$work/password"
mkdir -p "$work/files"
head -c 300001 /dev/urandom >"$work/files/data.bin"
printf 'first\r\nsecond\r\n.third\r\n' >"$work/files/notes of today.txt"

"$work/build-send_report/send_report" "127.0.0.1:$smtp_port" alice@example.org tester@example.org \
  "Examples round trip" $'Hello,\nthe files are attached.\n' "$work/files/data.bin" "$work/files/notes of today.txt" \
  >"$work/send.txt" || { cat "$work/send.txt"; fail "send_report failed"; }
cat "$work/send.txt"
if "$work/build-send_report/send_report" 127.0.0.1:1 a@example.org b@example.org s b >/dev/null 2>&1; then
  fail "send_report reported success without a server"
fi

# A message whose attachment name tries to climb out of the save folder.
cat >"$work/Maildir/new/1.climb" <<'MAIL'
From: Mallory <mallory@example.org>
To: tester@example.org
Subject: climbing
MIME-Version: 1.0
Content-Type: multipart/mixed; boundary="b1"

--b1
Content-Type: text/plain

see attached
--b1
Content-Type: application/octet-stream; name="../escape.txt"
Content-Transfer-Encoding: base64
Content-Disposition: attachment; filename="../escape.txt"

b3V0Cg==
--b1--
MAIL
[ "$(id -u)" -ne 0 ] || chown nobody:nogroup "$work/Maildir/new/1.climb"

"$work/build-fetch_mailbox/fetch_mailbox" "127.0.0.1:$pop_port" tester "$work/out" "$work/password" \
  >"$work/fetch.txt" || { cat "$work/fetch.txt"; fail "fetch_mailbox failed"; }
cat "$work/fetch.txt"
[ "$(grep -c '^#' "$work/fetch.txt")" -eq 2 ] || fail "expected one line per message"
grep -q "Examples round trip  (2 attachment(s))" "$work/fetch.txt" || fail "the sent message is not listed"
cmp "$work/files/data.bin" "$work/out/data.bin" || fail "data.bin differs after the round trip"
cmp "$work/files/notes of today.txt" "$work/out/notes of today.txt" || fail "the text attachment differs"
[ ! -e "$work/escape.txt" ] || fail "an attachment was saved outside the save folder"
[ "$(find "$work/out" -type f | wc -l)" -eq 3 ] || fail "expected three saved attachments"

if QEL_PASSWORD=wrong "$work/build-fetch_mailbox/fetch_mailbox" "127.0.0.1:$pop_port" tester "$work/out2" \
  >/dev/null 2>&1; then
  fail "fetch_mailbox reported success with a wrong password"
fi
echo "examples_roundtrip: passed"
