# The version of wfac and the date it was released: read by the project
# (the man pages show both) and by the build step that names the version in
# every table header it writes.
set(WFAC_VERSION 1.4.0)
set(WFAC_DATE 2026-12-09)
