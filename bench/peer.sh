# Sourced by the benches that time the peer tool: staticrypt, at a pinned
# version, installed into a scratch folder and never a dependency.
staticrypt_version=3.5.4

# install_staticrypt FOLDER BENCH: installs staticrypt into FOLDER and prints
# the path of its command; BENCH names the caller in the error.
install_staticrypt() {
  local folder=$1 bench=$2
  npm install --prefix "$folder" --no-audit --no-fund --no-save --ignore-scripts \
    "staticrypt@$staticrypt_version" >/dev/null
  local command=$folder/node_modules/staticrypt/cli/index.js
  if [ ! -f "$command" ]; then
    echo "$bench: staticrypt $staticrypt_version did not install" >&2
    return 1
  fi
  printf '%s\n' "$command"
}
