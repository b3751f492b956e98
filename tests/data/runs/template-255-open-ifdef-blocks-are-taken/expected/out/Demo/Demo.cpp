before
inner
after
