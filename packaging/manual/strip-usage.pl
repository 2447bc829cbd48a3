# Run as perl -0pi on a page help2man made: the usage lines, which it keeps at the start of the
# description when the synopsis comes from an include file, go; the synopsis says them.
s/(\.SH DESCRIPTION\n)usage:.*\n(?:(?:\.IP|\[.*|sovane05.*)\n)*(?:\.PP\n)?/$1/;
