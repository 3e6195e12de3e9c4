"""Runs a tool (argv[1:]) with standard output a pipe nobody reads and SIGPIPE at its default:
the tool must end with status 1 and say that its output could not be written."""
import os
import subprocess
import sys

reader, writer = os.pipe()
os.close(reader)
# subprocess gives the child SIGPIPE's default action back, as a shell would.
run = subprocess.run(sys.argv[1:], stdout=writer, stderr=subprocess.PIPE, check=False)
if run.returncode != 1 or b"standard output could not be written" not in run.stderr:
    sys.exit(f"status {run.returncode}, error output {run.stderr!r}")
