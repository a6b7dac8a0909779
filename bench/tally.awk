# The tally of vantor-tally written in awk, as a speed baseline:
#
#   LC_ALL=C mawk -v pid=ID -v tag='[Pickup]' -f bench/tally.awk FILES...
#
# Sums the quantities of pid's records with the given action tag per item
# name and prints "name<TAB>total" in the order the names were first met.
# Unlike the store of vantor-tally it keys totals by the exact name, so a name
# that is part of an earlier one gets a line of its own; the grand total is
# the same.

BEGIN {
    RS = "\r\n?"          # a lone LF is text, as in the reader
    FS = "\t"
    if (pid == "" || tag == "") {
        print "usage: mawk -v pid=ID -v tag=TAG -f tally.awk FILES..." > "/dev/stderr"
        exit 2
    }
    # Whole numbers, or with a fraction, surrounded by optional spaces.
    number = "^ *[-+]?([0-9]+[.]?[0-9]*|[.][0-9]+) *$"
    n = 0
}

NF < 6 || $2 != pid || $4 != tag || index($6, "Ore C.") { next }

{
    entry = $6
    if (index(entry, "\201")) {
        gsub("\201\250", " ", entry)
        gsub("\201", "", entry)
    }
    if (index(entry, "(R)")) gsub(/\(R\)/, "R", entry)
    if (index(entry, "(Y)")) gsub(/\(Y\)/, "Y", entry)
    entry = substr(entry, 1, length(entry) - 1)
    paren = index(entry, "(")
    if (paren == 0) {
        printf "%s:%d: no quantity in item entry '%s'\n", FILENAME, FNR, $6 > "/dev/stderr"
        failed = 1
        exit 1
    }
    name = substr(entry, 1, paren - 1)
    quantity = substr(entry, paren + 1)
    if (quantity !~ number) {
        printf "%s:%d: quantity '%s' is not a number\n", FILENAME, FNR, quantity > "/dev/stderr"
        failed = 1
        exit 1
    }
    if (!(name in total)) order[++n] = name
    total[name] += quantity
}

END {
    if (failed) exit 1
    for (i = 1; i <= n; i++) printf "%s\t%d\n", order[i], total[order[i]]
}
