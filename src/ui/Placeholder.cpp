// The screens follow.
