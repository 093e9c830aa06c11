#!/usr/bin/env bash
# The folder a host copies holds the page's files alone, each with its gzip
# copy; the README names every one of them; and the server sends a copy,
# marked as gzip, to a browser that takes it, and the file itself otherwise.
#   deploy.sh SITE_DIR README SERVE_PY FILE...
set -uo pipefail
SITE=$1 README=$2 SERVE=$3
shift 3
FAILED=0
fail() { echo "FAIL: $*" >&2; FAILED=1; }

want=$(for f in "$@"; do echo "$f"; echo "$f.gz"; done | sort)
have=$(cd "$SITE" && find . -mindepth 1 -printf '%P\n' | sort)
[ "$want" = "$have" ] || fail "$SITE holds"$'\n'"$have"$'\n'"instead of"$'\n'"$want"
for f in "$@"; do
    gzip -t "$SITE/$f.gz" 2>/dev/null && gzip -dc "$SITE/$f.gz" | cmp -s - "$SITE/$f" ||
        fail "$f.gz is not $f compressed"
done
# The README's part on the browser names each file a host must copy.
part=$(sed -n '/^## In the browser/,/^## /p' "$README")
for f in "$@"; do
    grep -qF -- "\`$f\`" <<<"$part" || fail "README's \"In the browser\" does not name $f"
done

python3 - "$SITE" "$SERVE" "$@" <<'PY' || FAILED=1
import gzip, subprocess, sys, urllib.request, urllib.error
site, serve, files = sys.argv[1], sys.argv[2], sys.argv[3:]
server = subprocess.Popen([sys.executable, serve, site, "--port", "0"], stdout=subprocess.PIPE, text=True)
failed = False
def fail(message):
    global failed
    failed = True
    print("FAIL: " + message, file=sys.stderr)
try:
    url = server.stdout.readline().split()[4]
    def get(path, encoding):
        request = urllib.request.Request(url + path, headers={"Accept-Encoding": encoding} if encoding else {})
        try:
            with urllib.request.urlopen(request, timeout=10) as r:
                return r.status, r.headers, r.read()
        except urllib.error.HTTPError as e:
            return e.code, e.headers, b""
    types = {"html": "text/html", "js": "text/javascript", "wasm": "application/wasm"}
    for f in files + [""]:
        name = f or "index.html"
        plain = open(f"{site}/{name}", "rb").read()
        status, headers, body = get(f, "gzip, deflate, br")
        if status != 200 or headers.get("Content-Encoding") != "gzip" or gzip.decompress(body) != plain:
            fail(f"/{f} is not sent as its gzip copy ({status}, {headers.get('Content-Encoding')})")
        elif len(body) >= len(plain):
            fail(f"/{f} is sent no smaller ({len(body)} of {len(plain)} bytes)")
        if not headers.get("Content-Type", "").startswith(types[name.rsplit(".", 1)[1]]):
            fail(f"/{f} is sent as {headers.get('Content-Type')}")
        status, headers, body = get(f, None)
        if status != 200 or headers.get("Content-Encoding") or body != plain:
            fail(f"/{f} is not sent as it is to a browser that takes no gzip")
    for path in ["CMakeCache.txt", "../CMakeCache.txt", "%2e%2e/CMakeCache.txt", "site/index.html"]:
        status, _, _ = get(path, "gzip")
        if status != 404:
            fail(f"/{path} answered {status}")
finally:
    server.terminate()
    server.wait()
sys.exit(1 if failed else 0)
PY
[ $FAILED -eq 0 ] && echo "deploy folder: $(echo "$have" | wc -l) files, $(du -cb "$SITE"/*.gz | tail -1 | cut -f1) bytes compressed"
exit $FAILED
