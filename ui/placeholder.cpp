// filled as the library grows
