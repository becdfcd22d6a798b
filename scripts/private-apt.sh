# Sourced, not run: apt-get with a private state folder, so that a script can
# fetch Debian packages of another architecture, or source packages, without
# touching the machine's own apt sources or package database.
#
#   PRIVATE_APT_ROOT=DIR        where the states live (DIR/apt-NAME); required
#   private_apt_init NAME ARCH SOURCES   makes state NAME for ARCH with the
#                                        sources.list text SOURCES, and updates it
#   private_apt NAME ARGS...             apt-get -q ARGS... in state NAME
#   debian_archive PATTERN               the first URI of the machine's own apt
#                                        sources that matches PATTERN
#
# Downloads go through apt-retry.sh (next to this file).

private_apt_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

debian_archive() {
    awk '/^URIs:/{print $2}' /etc/apt/sources.list.d/debian.sources 2>/dev/null | grep -E "$1" | head -n 1
}

private_apt_init() {
    local d=$PRIVATE_APT_ROOT/apt-$1
    mkdir -p "$d"/{lists/partial,cache/archives/partial,prefs.d}
    : > "$d/status"
    printf '%s\n' "$3" > "$d/sources.list"
    cat > "$d/apt.conf" <<CONF
APT::Architecture "$2";
APT::Architectures { "$2"; };
Dir::Etc::SourceList "$d/sources.list";
Dir::Etc::SourceParts "/nonexistent";
Dir::Etc::Preferences "/nonexistent";
Dir::Etc::PreferencesParts "$d/prefs.d";
Dir::State::Lists "$d/lists";
Dir::State::status "$d/status";
Dir::Cache "$d/cache";
APT::Install-Recommends "false";
APT::Sandbox::User "root";
CONF
    # An index that still fails (a mirror serving a stale one for hours) is
    # left out: what is needed then comes from the other suites, and the
    # download that follows fails when it cannot.
    APT_CONFIG=$d/apt.conf "$private_apt_here/apt-retry.sh" apt-get -q update >/dev/null ||
        printf 'private-apt: warning: some of %s'"'"'s package indexes did not download (above); going on without them\n' "$1" >&2
}

private_apt() {
    local n=$1
    shift
    APT_CONFIG=$PRIVATE_APT_ROOT/apt-$n/apt.conf "$private_apt_here/apt-retry.sh" apt-get -q "$@"
}
