# Helpers the bench scripts share for their figures; sourced, not run.

# The middle of the numbers given; of an even count, the lower middle one.
median() { printf '%s\n' "$@" | sort -g | sed -n "$((($# + 1) / 2))p"; }

# a / b to two places, or 0 when b is 0.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

# "met" when a figure is at most its goal, else "missed".
goal() { awk -v v="$1" -v g="$2" 'BEGIN { print (v <= g ? "met" : "missed") }'; }
