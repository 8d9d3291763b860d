#!/bin/sh
# Runs a command on a private Xvfb display that ends with it.
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$@"
