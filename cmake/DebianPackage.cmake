# The Debian package: `cpack -G DEB` in the Release build (scripts/package.sh) packs what
# `cmake --install` installs, under /usr, as tavimo_<version>_<architecture>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavimo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR ${TAVIMO_DEVELOPERS})
set(CPACK_PACKAGE_CONTACT ${TAVIMO_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "video library of albums and books of thumbnails")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TAVIMO_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The extended description, in lines of Debian's width.
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
       "Tavimo is a desktop video library with a Japanese user interface. Video"
       "files stay where they are, on fixed disks, USB disks, CDs and DVDs;"
       "Tavimo organises them into albums, grouped into books, each shown as a"
       "grid of thumbnails. It makes the thumbnails itself, remembers a bookmark"
       "and a play count for every video, finds removable media again by their"
       "volume serial number and plays videos in its own player.")

# The shared libraries that the program links are found by dpkg-shlibdeps; these are what it
# needs besides them.
set(TAVIMO_PACKAGE_DEPENDS
    fonts-ipafont-gothic # the window font
    libmigemo1 # romaji search, loaded when the search starts
    cmigemo-common # its dictionary
)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
string(JOIN ", " CPACK_DEBIAN_PACKAGE_DEPENDS ${TAVIMO_PACKAGE_DEPENDS})

include(CPack)
