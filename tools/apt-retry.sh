# Sourced by the install scripts. While a Debian mirror syncs, its indexes can be briefly
# inconsistent with its Release file ("File has unexpected size ... Mirror sync in progress?")
# and apt fails though nothing is wrong with the machine, so apt steps are retried.

# apt_retry CMD...: runs CMD up to three times, 15 s and then 30 s apart; fails with CMD's last
# status. Short on purpose: a mirror that stays broken longer is worked around, not waited out.
apt_retry() {
  local attempt status pause=${APT_RETRY_PAUSE:-15}
  for attempt in 1 2 3; do
    "$@" && return 0
    status=$?
    [ "$attempt" -eq 3 ] && return "$status"
    echo "apt step failed (try $attempt of 3, status $status); trying again in $((attempt * pause)) s" >&2
    sleep $((attempt * pause))
  done
}
