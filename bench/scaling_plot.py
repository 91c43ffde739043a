"""The plot of bench/run: wall time and peak RSS of a first run against the
number of sets, on log-log axes, where linear growth is a slope of one."""
import os
import shutil
import subprocess

SCRIPT = """
set terminal pngcairo size 900,420 font ",10"
set output '{output}'
set multiplot layout 1,2 title 'Quillfen in process, sets of 10 items (POSIX release build)'
set logscale xy
set grid
set key top left
set xlabel 'media sets'
set ylabel 'wall time (s)'
plot '{data}' using 1:2 with linespoints pointtype 7 title 'first run'
set ylabel 'peak RSS (MiB)'
plot '{data}' using 1:3 with linespoints pointtype 7 linecolor 2 title 'first run'
unset multiplot
"""


def write(output, points, work):
    """points: (sets, seconds, peak KiB) per size."""
    if not shutil.which("gnuplot"):
        raise SystemExit("bench: gnuplot is missing (Debian package gnuplot-nox; scripts/bootstrap installs it)")
    data = os.path.join(work, "scaling.dat")
    with open(data, "w", encoding="ascii") as handle:
        for sets, seconds, peak_kib in points:
            # A run too quick for /usr/bin/time's 10 ms still needs a point on a log axis.
            handle.write(f"{sets} {max(seconds, 0.005)} {peak_kib / 1024:.1f}\n")
    subprocess.run(["gnuplot"], input=SCRIPT.format(output=output, data=data).encode(), check=True)
