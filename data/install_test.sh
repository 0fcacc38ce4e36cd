#!/usr/bin/env bash
# Checks what `cmake --install` lays out, as ctest runs it (see data/CMakeLists.txt):
#   install_test.sh install  PREFIX BUILD_DIR   install the build tree into PREFIX (fixture)
#   install_test.sh cleanup  PREFIX             remove PREFIX again
#   install_test.sh CHECK    PREFIX SOURCE_DIR  one check of the installed tree, CHECK being
#       layout | engine | gui | gui_generate | desktop | metainfo | manpages
#   install_test.sh package  SCRATCH BUILD_DIR  the Debian package of the build, checked with
#       lintian --pedantic; made in SCRATCH, which is removed afterwards
# DALVO_PROGRAMS names the programs this build has; DALVO_COMPONENT_ID the metainfo's id,
# DALVO_VERSION the project's version. Exit 0 passed, 1 failed, 77 skipped (a lint tool or the
# program it checks is missing; the reason is printed).
set -uo pipefail

mode=${1:?mode}
prefix=${2:?prefix}
third=${3:-}
programs=${DALVO_PROGRAMS:-}
component=${DALVO_COMPONENT_ID:-org.dalvo.dalvogui}
appdir=$prefix/lib/dalvo
failures=0

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
skip() { echo "SKIPPED: $*"; exit 77; }
has_program() { [[ " $programs " == *" $1 "* ]]; }
need_tool() { command -v "$1" >/dev/null || skip "$1 is not installed (it comes with package $2)"; }
mode_of() { stat -c %a "$1"; }
finish() {
  [ "$failures" -eq 0 ] || { echo "$mode: $failures check(s) failed" >&2; exit 1; }
  echo "$mode: all checks passed"
}
scratch=""
trap '[ -n "$scratch" ] && rm -rf "$scratch"' EXIT
new_scratch() { scratch=$(mktemp -d "${TMPDIR:-/tmp}/dalvo-install-test.XXXXXX"); }

expect_file() {  # path, octal mode
  if [ ! -f "$1" ] || [ -L "$1" ]; then fail "$1 is not a regular file"; return; fi
  [ "$(mode_of "$1")" = "$2" ] || fail "$1 has mode $(mode_of "$1"), expected $2"
}

case "$mode" in
install)
  build=${third:?build dir}
  rm -rf "$prefix"
  log=$(cmake --install "$build" --prefix "$prefix" 2>&1) || { echo "$log" >&2; exit 1; }
  echo "$log"
  exit 0
  ;;
cleanup)
  rm -rf "$prefix"
  exit 0
  ;;

layout)
  src=${third:?source dir}
  [ -n "$programs" ] || skip "no program was built"
  expected=()
  for p in $programs; do
    expect_file "$appdir/$p" 755
    link=$prefix/bin/$p
    if [ ! -L "$link" ]; then fail "$link is not a symbolic link"; continue; fi
    target=$(readlink "$link")
    [ "$target" = "../lib/dalvo/$p" ] || fail "$link points to '$target', not ../lib/dalvo/$p"
    [ "$(realpath "$link")" = "$(realpath "$appdir/$p")" ] || fail "$link does not resolve to $appdir/$p"
    page=$prefix/share/man/man1/$p.1.gz
    expect_file "$page" 644
    gzip -dc "$page" 2>/dev/null | cmp -s - "$src/data/$p.1" || fail "$page is not $p.1 compressed"
    expected+=("bin/$p" "lib/dalvo/$p" "share/man/man1/$p.1.gz")
  done
  if [ -f "$src/data/Dalvo.txt" ]; then
    expect_file "$appdir/Dalvo.txt" 644
    cmp -s "$appdir/Dalvo.txt" "$src/data/Dalvo.txt" || fail "installed Dalvo.txt differs from data/Dalvo.txt"
    expected+=(lib/dalvo/Dalvo.txt)
  fi
  expect_file "$prefix/share/doc/dalvo/copyright" 644
  cmp -s "$prefix/share/doc/dalvo/copyright" "$src/data/copyright" || fail "installed copyright differs"
  gzip -dc "$prefix/share/doc/dalvo/changelog.gz" 2>/dev/null | cmp -s - "$src/data/changelog" \
    || fail "changelog.gz is not data/changelog compressed"
  expected+=(share/doc/dalvo/copyright share/doc/dalvo/changelog.gz)
  if has_program dalvogui; then
    for f in "applications/$component.desktop" icons/hicolor/scalable/apps/dalvogui.svg \
             "metainfo/$component.metainfo.xml"; do
      expect_file "$prefix/share/$f" 644
      expected+=("share/$f")
    done
    grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/dalvogui.svg" || fail "the icon is not SVG"
  fi
  # Nothing else may land in the prefix: a stray file would also go into the Debian package.
  actual=$(cd "$prefix" && find . \( -type f -o -type l \) -printf '%P\n' | sort)
  wanted=$(printf '%s\n' "${expected[@]}" | sort)
  extra=$(comm -23 <(echo "$actual") <(echo "$wanted"))
  [ -z "$extra" ] || fail "unexpected files installed: $extra"
  finish
  ;;

engine)
  has_program dalvo || skip "the engine dalvo was not built"
  new_scratch
  cd "$scratch" || exit 1
  # Through the symlink on the PATH, as a user would start it.
  PATH="$prefix/bin:$PATH" dalvo -awo g 1 >generate.out 2>generate.err
  rc=$?
  [ "$rc" -eq 0 ] || fail "dalvo -awo g 1 exited $rc: $(cat generate.err)"
  if [ ! -f dalvoopc.tmp ] || [ -s dalvoopc.tmp ]; then fail "no empty completion marker dalvoopc.tmp"; fi
  # The 22 files and their digit counts with 127 verses for sura 9.
  sizes=(number1.txt 12692 number2.txt 12696 number3.txt 12930 number4.txt 12930
         number5.txt 12836 number6.txt 12836 number7.txt 12836 number8.txt 474 number9.txt 474
         number10.txt 377 number11.txt 612 number12.txt 12712 number13.txt 235
         number14.txt 12479 number15.txt 12774 n13038d.txt 13038 n37088d.txt 37088
         ap24-63.txt 277 ap24-64.txt 3371 ap24-65.txt 6635 n14453d.txt 14453 n20257d.txt 20257)
  for ((i = 0; i < ${#sizes[@]}; i += 2)); do
    name=${sizes[i]} digits=${sizes[i + 1]}
    if [ -f "$name" ]; then
      [ "$(stat -c %s "$name")" = "$digits" ] || fail "$name holds $(stat -c %s "$name") bytes, expected $digits"
    else
      fail "$name was not generated"
    fi
  done
  count=$(find . -maxdepth 1 -name '*.txt' | wc -l)
  [ "$count" -eq 22 ] || fail "$count .txt files generated, expected 22"
  PATH="$prefix/bin:$PATH" dalvo -awo d 19 number13.txt report.txt >/dev/null 2>&1 \
    || fail "dividing number13.txt exited non-zero"
  grep -sqx 'The number IS a multiple of 19!' report.txt || fail "number13.txt not reported as a multiple of 19"
  finish
  ;;

gui)
  has_program dalvogui || skip "the front-end dalvogui was not built"
  new_scratch
  mkdir "$scratch/tmp"
  # Start through the symlink with a private TMPDIR; it must still be running when stopped.
  TMPDIR="$scratch/tmp" QT_QPA_PLATFORM=offscreen timeout 4 "$prefix/bin/dalvogui" \
    >"$scratch/gui.out" 2>&1
  rc=$?
  [ "$rc" -eq 124 ] || fail "dalvogui ended by itself with status $rc: $(cat "$scratch/gui.out")"
  workdir="$scratch/tmp/dalvo work dir"
  if [ -d "$workdir" ]; then
    [ "$(mode_of "$workdir")" = 700 ] || fail "work directory has mode $(mode_of "$workdir"), expected 700"
  else
    fail "dalvogui did not create '$workdir'"
  fi
  finish
  ;;

gui_generate)
  # The desktop program started through links must find the engine in lib/dalvo, its real
  # directory: a generation run from the window proves it. The program is started through a
  # second link, to bin/dalvogui, in a directory without an engine, so a front-end that took
  # the link's directory for its own (bin/ holds a dalvo link too) would find nothing.
  # Needs an X display to click.
  has_program dalvogui || skip "the front-end dalvogui was not built"
  has_program dalvo || skip "the engine dalvo was not built"
  need_tool xvfb-run xvfb
  need_tool xdotool xdotool
  new_scratch
  mkdir "$scratch/tmp"
  if [ -z "${DALVO_INSTALL_TEST_INNER:-}" ]; then
    DALVO_INSTALL_TEST_INNER="$scratch/tmp" \
      xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" bash "$0" gui_generate "$prefix"
    exit $?
  fi
  gui_tmp=$DALVO_INSTALL_TEST_INNER
  work="$gui_tmp/dalvo work dir"
  mkdir "$scratch/launcher"
  ln -s "$prefix/bin/dalvogui" "$scratch/launcher/dalvogui"
  TMPDIR="$gui_tmp" QT_QPA_PLATFORM=xcb "${DALVO_GUI_LAUNCHER:-$scratch/launcher/dalvogui}" >"$scratch/gui.out" 2>&1 &
  gui=$!
  win=$(timeout 20 xdotool search --sync --onlyvisible --name '^Dalvo  -' | head -n 1)
  if [ -z "$win" ]; then
    kill "$gui" 2>/dev/null
    fail "no dalvogui window appeared: $(cat "$scratch/gui.out")"
    finish
  fi
  sleep 1
  # The centre of "Click here to generate the VERY long numbers!" in the window (without a
  # window manager there is no frame); scripts/screenshot.sh clicks the same point.
  xdotool mousemove --window "$win" 140 124 click 1
  renamed="$work/kelvatrons_perspective_nov_1989_nr_2.txt"
  for _ in $(seq 1 150); do
    [ -f "$renamed" ] && [ ! -e "$work/dalvoopc.tmp" ] && break
    sleep 0.1
  done
  kill "$gui" 2>/dev/null
  wait "$gui" 2>/dev/null
  [ -f "$renamed" ] || fail "no generated files in '$work': the installed engine was not started" \
    "(or the click missed the generate button: was the main window's layout changed?)"
  count=$(find "$work" -maxdepth 1 -name '*.txt' | wc -l)
  [ "$count" -eq 22 ] || fail "$count .txt files in the work directory, expected 22"
  finish
  ;;

desktop)
  has_program dalvogui || skip "no desktop entry without the front-end dalvogui"
  need_tool desktop-file-validate desktop-file-utils
  entry=$prefix/share/applications/$component.desktop
  out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate failed"
  [ -z "$out" ] || fail "desktop-file-validate: $out"
  exec_cmd=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  [ -x "$prefix/bin/$exec_cmd" ] || fail "Exec=$exec_cmd is not a program in $prefix/bin"
  grep -qx 'StartupNotify=true' "$entry" || fail "the desktop entry does not ask for StartupNotify"
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "Icon=$icon has no installed icon"
  finish
  ;;

metainfo)
  has_program dalvogui || skip "no metainfo without the front-end dalvogui"
  need_tool appstreamcli appstream
  file=$prefix/share/metainfo/$component.metainfo.xml
  out=$(appstreamcli validate --no-net --pedantic "$file" 2>&1)
  rc=$?
  echo "$out"
  # Pedantic notes (P:) and infos (I:) are acceptable; errors and warnings are not, and either
  # also makes the validation fail.
  if [ "$rc" -ne 0 ] || echo "$out" | grep -qE '^[EW]:'; then
    fail "appstreamcli reported errors or warnings (status $rc)"
  fi
  grep -q "<id>$component</id>" "$file" || fail "component id is not $component"
  launch=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$file")
  [ -f "$prefix/share/applications/$launch" ] || fail "launchable '$launch' is not installed"
  [ "$launch" = "$component.desktop" ] || fail "the desktop entry '$launch' is not named after $component"
  grep -q '<project_license>[^<]' "$file" || fail "no project_license"
  grep -q '<content_rating type="oars-' "$file" || fail "no OARS content rating"
  if [ -n "${DALVO_VERSION:-}" ]; then
    grep -q "<release version=\"$DALVO_VERSION\"" "$file" \
      || fail "no release entry for version $DALVO_VERSION (update the metainfo's <releases>)"
  fi
  finish
  ;;

manpages)
  [ -n "$programs" ] || skip "no program was built"
  need_tool man man-db
  need_tool lexgrog man-db
  new_scratch
  for p in $programs; do
    page=$prefix/share/man/man1/$p.1.gz
    # A fixed width and locale: the warnings must not depend on the terminal running the test.
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" >/dev/null 2>"$scratch/err"
    rc=$?
    [ "$rc" -eq 0 ] || fail "man exited $rc on $page"
    [ ! -s "$scratch/err" ] || fail "man warnings for $page: $(cat "$scratch/err")"
    # whatis and apropos index the NAME line; it must parse as "name - summary".
    lexgrog "$page" 2>/dev/null | grep -q ": \"$p - " || fail "NAME section of $page does not parse"
    if [ -n "${DALVO_VERSION:-}" ]; then
      gzip -dc "$page" | grep -q "^\.TH .* \"dalvo $DALVO_VERSION\"" \
        || fail "$page does not name version $DALVO_VERSION in its .TH line"
    fi
  done
  finish
  ;;

package)
  build=${third:?build dir}
  need_tool cpack cmake
  need_tool dpkg-shlibdeps dpkg-dev
  need_tool lintian lintian
  scratch=$prefix
  rm -rf "$scratch"
  mkdir -p "$scratch"
  log=$(cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" 2>&1) || { echo "$log" >&2; exit 1; }
  debs=("$scratch"/*.deb)
  [ -f "${debs[0]}" ] || { echo "$log" >&2; fail "cpack made no package"; finish; }
  # Root is warned about on standard error; the tags come on standard output.
  out=$(lintian --pedantic "${debs[0]}" 2>/dev/null)
  rc=$?
  echo "lintian --pedantic $(basename "${debs[0]}"): ${out:-no tags}"
  [ "$rc" -eq 0 ] || fail "lintian exited with status $rc"
  if grep -qE '^[EW]:' <<<"$out"; then fail "lintian reported errors or warnings"; fi
  finish
  ;;

*)
  echo "unknown mode '$mode'" >&2
  exit 2
  ;;
esac
