#!/bin/bash
# Keeps the source folders layered: every include of a non-test source must name a file in its
# own folder or in a folder it may use. startup/ composes everything; ui/ drives the wizard over
# engine/; engine/ runs over config/; config/ reads through system/; package/ is the base. The
# packer in tools/ builds payloads from the description, so it reads config/ and package/ only.
# An include is resolved as the compiler does: a quoted name first next to the including file,
# then from the source root; a bracketed name from the source root only. Names found in neither
# place are the system's and the libraries' headers.
# Prints each offending include with file and line; exits 1 when there is any.
cd "$(dirname "$0")/.." || exit 2

allowed() {
    case $1 in
    startup) echo "startup ui engine config system package" ;;
    ui) echo "ui engine config system package" ;;
    engine) echo "engine config system package" ;;
    config) echo "config system package" ;;
    system) echo "system package" ;;
    package) echo "package" ;;
    tools) echo "tools config package" ;;
    esac
}

# Prints the path without "." and ".." steps; fails for a path that leaves the source root.
normalize() {
    local IFS=/ part
    local -a out=()
    for part in $1; do
        case $part in
        '' | .) ;;
        ..)
            [ ${#out[@]} -gt 0 ] || return 1
            unset 'out[${#out[@]}-1]'
            ;;
        *) out+=("$part") ;;
        esac
    done
    echo "${out[*]}"
}

# Prints the source file the include names, or nothing for a header from outside the tree.
resolve() {
    local file=$1 quote=$2 name=$3 path
    if [ "$quote" = '"' ] && path=$(normalize "$(dirname "$file")/$name") && [ -f "$path" ]; then
        echo "$path"
    elif path=$(normalize "$name") && [ -f "$path" ]; then
        echo "$path"
    fi
}

directive='^[[:space:]]*#[[:space:]]*include[[:space:]]*(["<])([^">]+)[">]'
bad=0
while IFS=: read -r file line include; do
    [[ $include =~ $directive ]] || continue
    target=$(resolve "$file" "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}")
    [ -n "$target" ] || continue
    from=${file%%/*}
    to=${target%%/*}
    if [[ " $(allowed "$from") " != *" $to "* ]]; then
        echo "$file:$line: includes $target, which $from/ may not use"
        bad=$((bad + 1))
    fi
done < <(grep -n -E '^\s*#\s*include' -r startup ui engine config system package tools \
    --include='*.h' --include='*.cpp')

if [ "$bad" -gt 0 ]; then
    echo "check-layers: $bad include(s) point up"
    exit 1
fi
echo "check-layers: every include points down"
