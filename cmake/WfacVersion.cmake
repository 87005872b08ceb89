# The version of wfac, read by the project and by the build step that names
# it in every table header it writes.
set(WFAC_VERSION 1.1.0)
