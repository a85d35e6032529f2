# Sourced by the test wrappers: a test whose build is absent (as after the
# linux preset alone) is skipped with exit 77, naming the command that builds
# it; scripts/test.sh sets HALVANE_REQUIRE_ALL_BUILDS, and then it fails.
missing_build() {
  echo "$1 is not built: $2" >&2
  [[ -n ${HALVANE_REQUIRE_ALL_BUILDS:-} ]] && exit 1
  exit 77
}
