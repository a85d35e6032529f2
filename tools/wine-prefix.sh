# Sourced: the Wine prefixes of this checkout. Each checkout on a machine has
# prefixes (and so wine servers) of its own, named after its folder: nothing
# one checkout's tests start or stop (`wineserver -k` included) can touch
# another's.
#   halvane_prefix [suffix]   prints /tmp/halvane-wine-prefix-<checkout>[-suffix]
halvane_prefix() {
  local checkout
  checkout=$(realpath "$(dirname "${BASH_SOURCE[0]}")/..")
  echo "/tmp/halvane-wine-prefix-$(printf %s "$checkout" | sha1sum | cut -c1-12)${1:+-$1}"
}
