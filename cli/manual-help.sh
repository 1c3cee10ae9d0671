#!/bin/sh
# The help text that help2man makes nemora-cli(1) from: the program's own
# help, then each subcommand's options in a section of their own (help2man
# starts one at a "*Title*" line), so that the manual never disagrees with
# the program. What no help text holds comes from nemora-cli.h2m.
#   manual-help.sh NEMORA_CLI --help|--version
set -eu
cli=$1
if [ "${2:-}" = --version ]; then
  exec "$cli" --version
fi
"$cli" --help
for command in lock unlock audit; do
  printf '\n*%s options*\n' "$command"
  # The description and the usage line are in the synopsis already, the
  # parser's headings would end the section, and --help is the top level's.
  "$cli" "$command" --help | sed -e '1,/^Usage:/d' -e '/^[A-Z][a-z]*:$/d' -e '/^  -h,--help /d'
done
