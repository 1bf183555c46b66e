// The processing run follows.
