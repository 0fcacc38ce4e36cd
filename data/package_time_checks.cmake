# Read by cpack (CPACK_PROJECT_CONFIG_FILE) when it makes a package, never by a configure: what
# only matters for a package is said where a package is made, so a developer's configure stays
# quiet.

# A package of a build without DALVO_DISTRO_FLAGS works, but lacks the hardening flags Debian
# builds its own packages with (./run.sh's build-run/ has them).
if(NOT CPACK_DALVO_DISTRO_FLAGS)
  message(WARNING "dalvo package: this build was configured without DALVO_DISTRO_FLAGS, so the "
                  "package lacks the distribution's hardening flags; package build-run/ after "
                  "./run.sh instead")
endif()
