// An empty translation unit for an area that has no sources yet.
