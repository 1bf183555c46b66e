// The row control follows.
