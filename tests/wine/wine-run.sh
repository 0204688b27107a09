#!/bin/sh
# Runs a Windows program under the session's Wine (see session.sh).
exec "${VELLUMAR_WINE:-wine}" "$@"
