#!/usr/bin/env bash
# Runs adif_independent_reader.js over an exported ADIF file. Skipped (exit
# 77) when Node.js or npm is missing or the package cannot be installed.
set -u
file=$1
records=$2
workdir=$3
script_dir=$(cd "$(dirname "$0")" && pwd)
command -v node >/dev/null 2>&1 && command -v npm >/dev/null 2>&1 || exit 77
mkdir -p "$workdir" && cd "$workdir" || exit 77
if [ ! -d node_modules/adif-parser-ts ]; then
  timeout 180 npm install --silent --no-audit --no-fund adif-parser-ts@0.7 >/dev/null 2>&1 || exit 77
fi
NODE_PATH="$workdir/node_modules" exec node "$script_dir/adif_independent_reader.js" "$file" "$records"
