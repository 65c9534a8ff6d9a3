# Sourced by the package tests with the folder and the version: sets $deb to the package that
# scripts/package.sh made, or ends the test as skipped (status 77) when there is none.
shopt -s nullglob
debs=("$1"/tavimo_"$2"_*.deb)
shopt -u nullglob
if [ ${#debs[@]} -eq 0 ]; then
  echo "skipped: no tavimo_$2_*.deb in $1; scripts/package.sh makes it"
  exit 77
fi
deb=$(readlink -f "${debs[0]}")
