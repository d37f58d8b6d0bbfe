# The data layer's sources, named once: the program's kl_data (src/data/CMakeLists.txt) and the
# fuzz targets' sanitized copy of it (fuzz/CMakeLists.txt) compile the same files.
set(KL_DATA_SOURCES
    appcontext.cpp appcontext.h
    bookcopy.cpp bookcopy.h
    booklocation.cpp booklocation.h
    serverbooks.cpp serverbooks.h
    collation.cpp collation.h
    convert.cpp convert.h
    database.cpp database.h
    dberror.cpp dberror.h
    fileops.cpp fileops.h
    identifiers.cpp identifiers.h
    jetsql.cpp jetsql.h
    jetfunctions.cpp jetfunctions.h
    pgconnection.cpp pgconnection.h
    pgtextkey.cpp pgtextkey.h
    schema.cpp schema.h
    settings.cpp settings.h
)
