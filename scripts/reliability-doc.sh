# Rewrites one generated section of docs/RELIABILITY.md, the part between
#   <!-- begin NAME -->  and  <!-- end NAME -->
# with the contents of a file. Sourced by fuzz.sh, scripts/soak.sh and scripts/reliability-report.sh.
replace_doc_section() {
    local name=$1 contents=$2 doc=${3:-docs/RELIABILITY.md}
    if ! grep -q "<!-- begin $name -->" "$doc"; then
        echo "$doc has no section '$name'" >&2
        return 1
    fi
    awk -v name="$name" -v file="$contents" '
        $0 == "<!-- begin " name " -->" { print; while ((getline line < file) > 0) print line; skip = 1; next }
        $0 == "<!-- end " name " -->"   { skip = 0 }
        !skip { print }
    ' "$doc" > "$doc.new" && mv "$doc.new" "$doc"
}
