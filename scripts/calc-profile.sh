#!/usr/bin/env bash
# calc-profile.sh <profile-folder> <extension.oxt>...
#
# Makes an office user profile with the given extensions installed, for
# running the office on its own (the scenario runner's `--calc`, the tests):
# it never touches the profile of a person or another office instance. The
# extensions are installed with unopkg into a fresh profile; unopkg refuses
# to run as root, so as root it runs as the unprivileged user nobody and the
# profile is copied over. The profile also answers the office's questions
# that would stop an unattended run: no "keep the current format?" on
# saving, no "replace the cells' contents?" on pasting, no first-start
# assistant, no document recovery. Macro security keeps its default.
# A profile already made from the same extension files is left as it is.
set -euo pipefail

[[ $# -ge 2 ]] || { echo "usage: calc-profile.sh <profile-folder> <extension.oxt>..." >&2; exit 2; }
profile="$1"
shift
for oxt in "$@"; do [[ -f "$oxt" ]] || { echo "calc-profile: no extension $oxt" >&2; exit 2; }; done
unopkg="$(command -v unopkg || true)"
[[ -n "$unopkg" ]] || { echo "calc-profile: unopkg not found (package libreoffice-core)" >&2; exit 1; }

sum="$(cat "$@" | sha256sum | cut -c1-64)"
if [[ -f "$profile/.kassa-extensions" && "$(cat "$profile/.kassa-extensions")" == "$sum" ]]; then
  exit 0
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/kassa-profile.XXXXXX")"
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
mkdir "$work/ext"
cp "$@" "$work/ext/"
chmod -R a+rX "$work/ext"
as_user=()
if [[ $(id -u) -eq 0 ]]; then
  chown nobody "$work"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
cd "$work"
for oxt in "$work"/ext/*.oxt; do
  "${as_user[@]}" env HOME="$work" "$unopkg" add --suppress-license \
    "-env:UserInstallation=file://$work/profile" "$oxt" >&2
done

xcu="$work/profile/user/registrymodifications.xcu"
[[ -f "$xcu" ]] || { echo "calc-profile: unopkg made no profile" >&2; exit 1; }
settings='<item oor:path="/org.openoffice.Office.Common/Save/Document"><prop oor:name="WarnAlienFormat" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Calc/Input"><prop oor:name="ReplaceCellsWarning" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Setup/Office"><prop oor:name="ooSetupInstCompleted" oor:op="fuse"><value>true</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="FirstRun" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="ShowTipOfTheDay" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Recovery/AutoSave"><prop oor:name="Enabled" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Recovery/RecoveryInfo"><prop oor:name="Enabled" oor:op="fuse"><value>false</value></prop></item>'
python3 - "$xcu" "$settings" <<'PY'
import sys
path, items = sys.argv[1], sys.argv[2]
text = open(path, encoding="utf-8").read()
text = text.replace("</oor:items>", items + "\n</oor:items>")
open(path, "w", encoding="utf-8").write(text)
PY

rm -rf "$profile"
mkdir -p "$(dirname "$profile")"
cp -a "$work/profile" "$profile"
if [[ $(id -u) -eq 0 ]]; then chown -R root:root "$profile"; fi
echo "$sum" >"$profile/.kassa-extensions"
